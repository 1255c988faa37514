// Everything an output stream writes, its input stream reads back, value
// for value, through each channel of the library, streams made from devices
// included.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "StreamFakes.h"
#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"
#include "vexlo/streams/StreamOperators.h"

namespace {

using namespace vxtest;
using In = tvc::ITVCInStream;

const std::uint64_t kNaNBits = 0xFFF4000000ABCDEFULL;  // a signalling NaN with a payload
const char kWithNul[] = {'a', '\0', 'b'};
const std::string kBlocks[] = {"", Pattern(2049), Pattern(4097)};

vx::CBitVector Bits() {
  vx::CBitVector bits(77);
  for (size_t i = 0; i < 77; i += 3) bits.Set(i);
  return bits;
}

void PutAll(tvc::ITVCOutStream& out) {
  double nan;
  std::memcpy(&nan, &kNaNBits, 8);
  out.PutBool(true), out.PutChar(CHAR_MIN), out.PutBYTE(255), out.PutShort(SHRT_MIN);
  out.PutWORD(USHRT_MAX), out.PutInt(INT_MIN), out.PutUint(UINT_MAX), out.PutLong(INT32_MIN);
  out.PutDWORD(UINT32_MAX), out.PutDouble(nan), out.PutDouble(-0.0);
  out.PutInt64(INT64_MIN), out.PutUint64(UINT64_MAX), out.PutSizet(SIZE_MAX);
  for (const std::string& b : kBlocks) out.PutN(b.data(), b.size());
  out << Bits() << vx::VXString(kWithNul, 3) << "text";
  EXPECT_EQ(out.Tell(), 3 + 2 * 2 + 4 * 4 + 5 * 8 + 2049 + 4097 + (8 + 10) + (8 + 3) + (8 + 4));
}

void GetAll(tvc::ITVCInStream& in) {
  EXPECT_TRUE((Read<bool, &In::GetBool>(in)));
  EXPECT_EQ((Read<char, &In::GetChar>(in)), CHAR_MIN);
  EXPECT_EQ((Read<unsigned char, &In::GetBYTE>(in)), 255);
  EXPECT_EQ((Read<short, &In::GetShort>(in)), SHRT_MIN);
  EXPECT_EQ((Read<unsigned short, &In::GetWORD>(in)), USHRT_MAX);
  EXPECT_EQ((Read<int, &In::GetInt>(in)), INT_MIN);
  EXPECT_EQ((Read<unsigned int, &In::GetUint>(in)), UINT_MAX);
  EXPECT_EQ((Read<long, &In::GetLong>(in)), INT32_MIN);
  EXPECT_EQ((Read<unsigned long, &In::GetDWORD>(in)), UINT32_MAX);
  const double nan = Read<double, &In::GetDouble>(in), zero = Read<double, &In::GetDouble>(in);
  std::uint64_t nanBits = 0;
  std::memcpy(&nanBits, &nan, 8);
  EXPECT_EQ(nanBits, kNaNBits) << "NaN payload kept";
  EXPECT_TRUE(zero == 0.0 && std::signbit(zero));
  EXPECT_EQ((Read<std::int64_t, &In::GetInt64>(in)), INT64_MIN);
  EXPECT_EQ((Read<std::uint64_t, &In::GetUint64>(in)), UINT64_MAX);
  EXPECT_EQ((Read<size_t, &In::GetSizet>(in)), SIZE_MAX);
  for (const std::string& expected : kBlocks) {
    std::string block(expected.size(), '\0');
    in.GetN(&block[0], block.size());
    EXPECT_EQ(block, expected);
  }
  vx::CBitVector bits;
  vx::VXString string, text;
  in >> bits >> string >> text;
  EXPECT_EQ(bits, Bits());
  EXPECT_EQ(string, vx::VXString(kWithNul, 3));
  EXPECT_EQ(text, "text");
  unsigned char extra = 7;
  EXPECT_THROW(in.GetBYTE(extra), tvc::TVCBufferUnderrunException) << "nothing is left";
  EXPECT_EQ(extra, 7);
}

template <class Format>
class RoundTrip : public ::testing::Test {};
using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
TYPED_TEST_SUITE(RoundTrip, Formats, FormatNames);

TYPED_TEST(RoundTrip, EveryTypeComesBackThroughEveryChannel) {
  using Out = typename TypeParam::Out;
  using InStream = typename TypeParam::In;
  {
    SCOPED_TRACE("memory writer and reader");
    vx::CMemWriter writer;
    Out out(&writer);
    PutAll(out);
    vx::CMemReader reader(writer.GetData(), writer.GetSize());
    InStream in(&reader);
    GetAll(in);
  }
  {
    SCOPED_TRACE("memory devices");
    vx::CMemStreamBuf written;
    Out out(written);
    PutAll(out);
    vx::CMemStreamBuf reading(written.str(), written.out_waiting());
    InStream in(&static_cast<vx::IReadWriteDevice&>(reading));
    GetAll(in);
  }
  {
    SCOPED_TRACE("IPC queue");
    vx::PXIpcStreamBuf queue;
    Out out(&queue);
    PutAll(out);
    InStream in(&queue);
    GetAll(in);
  }
  SCOPED_TRACE("file");
  const auto directory = std::filesystem::temp_directory_path() /
                         ("vexlo-streams-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "values").string();
  {
    vx::CFileWriter writer(path.c_str(), vx::EFileCreationDisposition::CreateNew,
                           vx::EFileShareCharacteristics::ShareNone);
    Out out(&writer);
    PutAll(out);
  }
  {
    vx::CFileReader reader(path.c_str(), vx::EFileShareCharacteristics::ShareRead);
    InStream in(&reader);
    GetAll(in);
  }
  std::filesystem::remove_all(directory);
}

}  // namespace
