// Everything either output stream writes, its input stream reads back,
// value for value, through every kind of channel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

#include "StreamFakes.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using vxtest::Pattern;

// A channel kind: hands out the writer side, then, once writing is over, the
// reader side over what was written.
struct TestQueue {
  static const char* Name() { return "TestQueue"; }
  template <class Out>
  Out MakeOut() {
    return Out(&writer);
  }
  template <class In>
  In MakeIn() {
    reader = vxtest::StringReader(writer.All());
    return In(&reader);
  }
  vxtest::RecordingWriter writer;
  vxtest::StringReader reader;
};

template <class OutT, class InT, class ChannelT>
struct Combo {
  using Out = OutT;
  using In = InT;
  using Channel = ChannelT;
};

template <class C>
class RoundTrip : public ::testing::Test {};

using Combos =
    ::testing::Types<Combo<vx::CBinaryOutputStream, vx::CBinaryInputStream, TestQueue>,
                     Combo<vx::CPortableOutputStream, vx::CPortableInputStream, TestQueue>>;

struct ComboNames {
  template <class C>
  static std::string GetName(int) {
    const bool binary = std::is_same<typename C::Out, vx::CBinaryOutputStream>::value;
    return std::string(binary ? "Binary" : "Portable") + "Over" + C::Channel::Name();
  }
};
TYPED_TEST_SUITE(RoundTrip, Combos, ComboNames);

double DoubleFromBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

std::uint64_t BitsOf(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return bits;
}

TYPED_TEST(RoundTrip, ExtremeValuesOfEveryTypeComeBack) {
  using I32 = std::numeric_limits<std::int32_t>;
  using I64 = std::numeric_limits<std::int64_t>;
  const double doubles[] = {0.0,
                            -0.0,
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(),
                            DoubleFromBits(0x7FF4000000000001ULL),  // signalling NaN payload
                            DoubleFromBits(0xFFF8000000ABCDEFULL)};
  const std::int64_t int64s[] = {I64::min(), I64::max(), -1, 0};
  const std::uint64_t uint64s[] = {0, ~std::uint64_t{0}, 0x8000000000000000ULL};
  const std::string blocks[] = {"", "\x01", Pattern(2048), Pattern(2049), Pattern(4097)};
  vx::CBitVector bits(77);
  for (size_t i = 0; i < 77; i += 3) bits.Set(i);

  typename TypeParam::Channel channel;
  {
    auto out = channel.template MakeOut<typename TypeParam::Out>();
    out.PutBool(true);
    out.PutBool(false);
    out.PutChar(std::numeric_limits<char>::min());
    out.PutChar(std::numeric_limits<char>::max());
    out.PutBYTE(0);
    out.PutBYTE(255);
    out.PutShort(std::numeric_limits<short>::min());
    out.PutShort(std::numeric_limits<short>::max());
    out.PutWORD(std::numeric_limits<unsigned short>::max());
    out.PutInt(std::numeric_limits<int>::min());
    out.PutInt(std::numeric_limits<int>::max());
    out.PutUint(std::numeric_limits<unsigned int>::max());
    out.PutLong(I32::min());
    out.PutLong(I32::max());
    out.PutDWORD(0xFFFFFFFFul);
    for (double d : doubles) out.PutDouble(d);
    for (std::int64_t v : int64s) out.PutInt64(v);
    for (std::uint64_t v : uint64s) out.PutUint64(v);
    out.PutSizet(std::numeric_limits<size_t>::max());
    for (const std::string& b : blocks) out.PutN(b.data(), b.size());
    bits.WriteTo(out);
    const size_t expected = 2 + 2 + 2 + 3 * 2 + 3 * 4 + 3 * 4 + 7 * 8 + 4 * 8 + 3 * 8 + 8 +
                            (0 + 1 + 2048 + 2049 + 4097) + (8 + 10);
    EXPECT_EQ(out.Tell(), expected);
  }

  auto in = channel.template MakeIn<typename TypeParam::In>();
  bool t = false, f = true;
  in.GetBool(t);
  in.GetBool(f);
  EXPECT_TRUE(t);
  EXPECT_FALSE(f);
  char cmin = 0, cmax = 0;
  in.GetChar(cmin);
  in.GetChar(cmax);
  EXPECT_EQ(cmin, std::numeric_limits<char>::min());
  EXPECT_EQ(cmax, std::numeric_limits<char>::max());
  unsigned char b0 = 1, b255 = 0;
  in.GetBYTE(b0);
  in.GetBYTE(b255);
  EXPECT_EQ(b0, 0);
  EXPECT_EQ(b255, 255);
  short smin = 0, smax = 0;
  unsigned short wmax = 0;
  in.GetShort(smin);
  in.GetShort(smax);
  in.GetWORD(wmax);
  EXPECT_EQ(smin, std::numeric_limits<short>::min());
  EXPECT_EQ(smax, std::numeric_limits<short>::max());
  EXPECT_EQ(wmax, std::numeric_limits<unsigned short>::max());
  int imin = 0, imax = 0;
  unsigned int umax = 0;
  in.GetInt(imin);
  in.GetInt(imax);
  in.GetUint(umax);
  EXPECT_EQ(imin, std::numeric_limits<int>::min());
  EXPECT_EQ(imax, std::numeric_limits<int>::max());
  EXPECT_EQ(umax, std::numeric_limits<unsigned int>::max());
  long lmin = 0, lmax = 0;
  unsigned long dwmax = 0;
  in.GetLong(lmin);
  in.GetLong(lmax);
  in.GetDWORD(dwmax);
  EXPECT_EQ(lmin, I32::min());
  EXPECT_EQ(lmax, I32::max());
  EXPECT_EQ(dwmax, 0xFFFFFFFFul);
  for (double expected : doubles) {
    double d = 0;
    in.GetDouble(d);
    EXPECT_EQ(BitsOf(d), BitsOf(expected));
  }
  for (std::int64_t expected : int64s) {
    std::int64_t v = 0;
    in.GetInt64(v);
    EXPECT_EQ(v, expected);
  }
  for (std::uint64_t expected : uint64s) {
    std::uint64_t v = 1;
    in.GetUint64(v);
    EXPECT_EQ(v, expected);
  }
  size_t z = 0;
  in.GetSizet(z);
  EXPECT_EQ(z, std::numeric_limits<size_t>::max());
  for (const std::string& expected : blocks) {
    std::string block(expected.size(), '\0');
    in.GetN(block.empty() ? nullptr : &block[0], block.size());
    EXPECT_EQ(block, expected);
  }
  vx::CBitVector readBits;
  readBits.ReadFrom(in);
  EXPECT_EQ(readBits, bits);
  // Nothing is left: one more byte is past the end.
  unsigned char extra = 7;
  EXPECT_THROW(in.GetBYTE(extra), tvc::TVCBufferUnderrunException);
  EXPECT_EQ(extra, 7);
}

}  // namespace
