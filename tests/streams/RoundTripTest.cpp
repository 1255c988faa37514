// Everything an output stream writes, its input stream reads back, value
// for value, through every kind of channel.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "StreamFakes.h"
#include "vexlo/streams/CBitVector.h"

namespace {

using namespace vxtest;

// A channel kind: the writer side, then the reader side over what was written.
struct TestQueue {
  static const char* Name() { return "TestQueue"; }
  template <class Out>
  Out MakeOut() {
    return Out(&writer);
  }
  template <class In>
  In MakeIn() {
    reader.content = writer.All();
    return In(&reader);
  }
  RecordingWriter writer;
  StringReader reader;
};

template <class FormatT, class ChannelT>
struct Combo {
  using Format = FormatT;
  using Channel = ChannelT;
};

template <class C>
class RoundTrip : public ::testing::Test {};
using Combos = ::testing::Types<Combo<BinaryFormat, TestQueue>, Combo<PortableFormat, TestQueue>>;
struct ComboNames {
  template <class C>
  static std::string GetName(int) {
    return FormatNames::GetName<typename C::Format>(0) + "Over" + C::Channel::Name();
  }
};
TYPED_TEST_SUITE(RoundTrip, Combos, ComboNames);

TYPED_TEST(RoundTrip, ExtremeValuesOfEveryTypeComeBack) {
  using Limits64 = std::numeric_limits<std::int64_t>;
  const std::uint64_t nanBits = 0xFFF4000000ABCDEFULL;  // signalling NaN with a payload
  double nan;
  std::memcpy(&nan, &nanBits, 8);
  const std::string blocks[] = {"", Pattern(2048), Pattern(2049), Pattern(4097)};
  vx::CBitVector bits(77);
  for (size_t i = 0; i < 77; i += 3) bits.Set(i);

  typename TypeParam::Channel channel;
  {
    auto out = channel.template MakeOut<typename TypeParam::Format::Out>();
    out.PutBool(true), out.PutChar(CHAR_MIN), out.PutBYTE(255), out.PutShort(SHRT_MIN);
    out.PutWORD(USHRT_MAX), out.PutInt(INT_MIN), out.PutUint(UINT_MAX), out.PutLong(INT32_MIN);
    out.PutDWORD(UINT32_MAX), out.PutDouble(nan), out.PutDouble(-0.0);
    out.PutInt64(Limits64::min()), out.PutUint64(UINT64_MAX), out.PutSizet(SIZE_MAX);
    for (const std::string& b : blocks) out.PutN(b.data(), b.size());
    bits.WriteTo(out);
    EXPECT_EQ(out.Tell(), 1 + 1 + 1 + 2 + 2 + 4 + 4 + 4 + 4 + 8 + 8 + 8 + 8 + 8 +
                              (2048 + 2049 + 4097) + (8 + 10));
  }
  auto in = channel.template MakeIn<typename TypeParam::Format::In>();
  using In = tvc::ITVCInStream;
  EXPECT_TRUE((Read<bool, &In::GetBool>(in)));
  EXPECT_EQ((Read<char, &In::GetChar>(in)), CHAR_MIN);
  EXPECT_EQ((Read<unsigned char, &In::GetBYTE>(in)), 255);
  EXPECT_EQ((Read<short, &In::GetShort>(in)), SHRT_MIN);
  EXPECT_EQ((Read<unsigned short, &In::GetWORD>(in)), USHRT_MAX);
  EXPECT_EQ((Read<int, &In::GetInt>(in)), INT_MIN);
  EXPECT_EQ((Read<unsigned int, &In::GetUint>(in)), UINT_MAX);
  EXPECT_EQ((Read<long, &In::GetLong>(in)), INT32_MIN);
  EXPECT_EQ((Read<unsigned long, &In::GetDWORD>(in)), UINT32_MAX);
  const double d1 = Read<double, &In::GetDouble>(in), d2 = Read<double, &In::GetDouble>(in);
  EXPECT_EQ(std::memcmp(&d1, &nan, 8), 0) << "NaN payload kept";
  EXPECT_TRUE(d2 == 0.0 && std::signbit(d2));
  EXPECT_EQ((Read<std::int64_t, &In::GetInt64>(in)), Limits64::min());
  EXPECT_EQ((Read<std::uint64_t, &In::GetUint64>(in)), UINT64_MAX);
  EXPECT_EQ((Read<size_t, &In::GetSizet>(in)), SIZE_MAX);
  for (const std::string& expected : blocks) {
    std::string block(expected.size(), '\0');
    in.GetN(&block[0], block.size());
    EXPECT_EQ(block, expected);
  }
  vx::CBitVector readBits;
  readBits.ReadFrom(in);
  EXPECT_EQ(readBits, bits);
  unsigned char extra = 7;
  EXPECT_THROW(in.GetBYTE(extra), tvc::TVCBufferUnderrunException) << "nothing is left";
  EXPECT_EQ(extra, 7);
}

}  // namespace
