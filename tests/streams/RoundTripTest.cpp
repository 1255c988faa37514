// Everything an output stream writes, its input stream reads back, value
// for value, through every kind of channel.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "StreamFakes.h"
#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/StreamOperators.h"

namespace {

using namespace vxtest;

// A channel kind: the writer side, then the reader side over what was written.
struct Memory {
  static const char* Name() { return "Memory"; }
  template <class Out>
  Out MakeOut() {
    return Out(&writer);
  }
  template <class In>
  In MakeIn() {
    reader = std::make_unique<vx::CMemReader>(writer.GetData(), writer.GetSize());
    return In(reader.get());
  }
  vx::CMemWriter writer;
  std::unique_ptr<vx::CMemReader> reader;
};

// Streams made from devices: a write buffer, then a read buffer over its bytes.
struct Device {
  static const char* Name() { return "Device"; }
  template <class Out>
  Out MakeOut() {
    return Out(written);
  }
  template <class In>
  In MakeIn() {
    reading = std::make_unique<vx::CMemStreamBuf>(written.str(), written.out_waiting());
    return In(*reading);
  }
  vx::CMemStreamBuf written;
  std::unique_ptr<vx::CMemStreamBuf> reading;
};

struct IpcQueue {
  static const char* Name() { return "IpcQueue"; }
  template <class Out>
  Out MakeOut() {
    return Out(&queue);
  }
  template <class In>
  In MakeIn() {
    return In(&queue);
  }
  vx::PXIpcStreamBuf queue;
};

struct File {
  static const char* Name() { return "File"; }
  File() {
    std::random_device random;
    directory = std::filesystem::temp_directory_path() /
                ("vexlo-streams-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(directory);
  }
  ~File() {
    writer.reset(), reader.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
  template <class Out>
  Out MakeOut() {
    writer =
        std::make_unique<vx::CFileWriter>(Path().c_str(), vx::EFileCreationDisposition::CreateNew,
                                          vx::EFileShareCharacteristics::ShareNone);
    EXPECT_TRUE(writer->IsValid());
    return Out(writer.get());
  }
  template <class In>
  In MakeIn() {
    writer->Close();
    reader =
        std::make_unique<vx::CFileReader>(Path().c_str(), vx::EFileShareCharacteristics::ShareRead);
    EXPECT_TRUE(reader->IsValid());
    return In(reader.get());
  }
  std::string Path() const { return (directory / "values").string(); }
  std::filesystem::path directory;
  std::unique_ptr<vx::CFileWriter> writer;
  std::unique_ptr<vx::CFileReader> reader;
};

template <class FormatT, class ChannelT>
struct Combo {
  using Format = FormatT;
  using Channel = ChannelT;
};

template <class C>
class RoundTrip : public ::testing::Test {};
using Combos = ::testing::Types<Combo<BinaryFormat, Memory>, Combo<PortableFormat, Memory>,
                                Combo<BinaryFormat, Device>, Combo<PortableFormat, Device>,
                                Combo<BinaryFormat, IpcQueue>, Combo<PortableFormat, IpcQueue>,
                                Combo<BinaryFormat, File>, Combo<PortableFormat, File>>;
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
  const char withNul[] = {'a', '\0', 'b'};
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
    out << bits << vx::VXString(withNul, 3) << "text";
    EXPECT_EQ(out.Tell(), 1 + 1 + 1 + 2 + 2 + 4 + 4 + 4 + 4 + 8 + 8 + 8 + 8 + 8 +
                              (2048 + 2049 + 4097) + (8 + 10) + (8 + 3) + (8 + 4));
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
  std::uint64_t nanRead = 0;
  std::memcpy(&nanRead, &d1, 8);
  EXPECT_EQ(nanRead, nanBits) << "NaN payload kept";
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
  vx::VXString string, text;
  in >> readBits >> string >> text;
  EXPECT_EQ(readBits, bits);
  EXPECT_EQ(string, vx::VXString(withNul, 3));
  EXPECT_EQ(text, "text");
  unsigned char extra = 7;
  EXPECT_THROW(in.GetBYTE(extra), tvc::TVCBufferUnderrunException) << "nothing is left";
  EXPECT_EQ(extra, 7);
}

}  // namespace
