#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"

namespace {

using vx::CBinaryOutputStream;
using vx::CPortableOutputStream;
using namespace vxtest;

static_assert(!std::is_convertible<tvc::ITVCBinaryWriter*, CPortableOutputStream>::value,
              "a writer does not silently become a stream");

template <class Format>
class OutputStreams : public ::testing::Test {};
using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
TYPED_TEST_SUITE(OutputStreams, Formats, FormatNames);

// Each put goes to the channel in one Write: its value bytes, least
// significant first, hex-encoded by the portable stream.
TYPED_TEST(OutputStreams, EachValueGoesOutInOneWrite) {
  RecordingWriter writer;
  typename TypeParam::Out s(&writer);
  const std::int64_t minusTwo = -2;
  const std::uint64_t ascending = 0x0102030405060708ULL;
  s.PutChar('A'), s.PutChar('\xE9'), s.PutBYTE(0xA5), s.PutShort(-2), s.PutWORD(0x1234);
  s.PutInt(1000), s.PutInt(-1), s.PutUint(3000000000u), s.PutLong(-100), s.PutLong(-1);
  s.PutLong(static_cast<long>(0x7FFFFFFF00000005LL));  // a 64-bit long is cut to 32 bits
  s.PutDWORD(0x12345678), s.PutDWORD(static_cast<unsigned long>(0xABCDEF0087654321ULL));
  s.PutDouble(1.0), s.PutDouble(-2.5), s.PutDouble(-0.0), s.PutInt64(minusTwo);
  s.PutUint64(ascending), s.PutSizet(300), s.PutN("Hi!", 3), s.PutN(nullptr, 0);
  std::vector<std::string> raw;  // the expected value bytes of each call
  std::istringstream table(
      "41|E9|A5|FE FF|34 12|E8 03 00 00|FF FF FF FF|00 5E D0 B2|9C FF FF FF|FF FF FF FF|"
      "05 00 00 00|78 56 34 12|21 43 65 87|00 00 00 00 00 00 F0 3F|00 00 00 00 00 00 04 C0|"
      "00 00 00 00 00 00 00 80|FE FF FF FF FF FF FF FF|08 07 06 05 04 03 02 01|"
      "2C 01 00 00 00 00 00 00|48 69 21|");
  for (std::string field; std::getline(table, field, '|');) raw.push_back(field);
  raw.emplace_back();  // the empty block
  ASSERT_EQ(writer.calls.size(), raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    EXPECT_EQ(writer.calls[i], TypeParam::Encode(Bytes(raw[i]))) << raw[i];
  }
  EXPECT_EQ(s.Tell(), 3 + 2 * 2 + 4 * 8 + 8 * 6 + 3u);
  s.PutBool(true), s.PutBool(false), s.Flush();  // the interface's hook does nothing
  EXPECT_EQ(writer.calls.back(), TypeParam::EncodeBool(false));
  EXPECT_EQ(writer.calls.at(raw.size()), TypeParam::EncodeBool(true));
  EXPECT_EQ(writer.calls.size(), raw.size() + 2);
  EXPECT_EQ(s.Tell(), 92u);
  EXPECT_FALSE(s.IsMeasure());
}

TYPED_TEST(OutputStreams, CopiesShareTheWriterNotTheCount) {
  RecordingWriter writer, other;
  typename TypeParam::Out stream(&writer);
  typename TypeParam::Out assigned(&other);
  stream.PutInt(7);
  stream.PutBool(false);
  stream.PutDouble(0.5);
  typename TypeParam::Out copy(stream);
  assigned = copy;
  copy.PutShort(1);
  assigned.PutBYTE(2);
  EXPECT_EQ(stream.Tell(), 13u);
  EXPECT_EQ(copy.Tell(), 15u);
  EXPECT_EQ(assigned.Tell(), 14u);
  EXPECT_EQ(writer.calls.size(), 5u);
  EXPECT_TRUE(other.calls.empty());
}

TYPED_TEST(OutputStreams, WriterFailurePassesAndTheStreamGoesOn) {
  RecordingWriter writer;
  typename TypeParam::Out stream(&writer);
  stream.PutInt(1);
  writer.failNext = true;
  EXPECT_THROW(stream.PutDouble(2.0), WriterFailure);
  // The binary stream counts what reached the writer; the portable one
  // counted the value before writing it.
  EXPECT_EQ(stream.Tell(), TypeParam::kCountsBeforeWriting ? 12u : 4u);
  stream.PutShort(3);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("01 00 00 00 03 00")));
}

TEST(CBinaryOutputStream, PassesTheCallersBytesAndNeverAllocates) {
  RecordingWriter writer;
  writer.calls.reserve(4);
  writer.pointers.reserve(4);
  CBinaryOutputStream stream(writer);
  const std::int64_t i64 = -7;
  const std::uint64_t u64 = 7;
  const char block[] = "abc";
  const long before = LiveAllocations();
  {
    ScopedAllocationFailure armed(AllocationFailureInjectable() ? 1 : 0);
    stream.PutInt64(i64);
    stream.PutUint64(u64);
    stream.PutN(block, 3);  // the writer's copies are short strings: no allocation
  }
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_EQ(writer.pointers, (std::vector<const void*>{&i64, &u64, block}));
}

// A derived stream that changes PutChar changes bools too.
TEST(CPortableOutputStream, BoolGoesThroughTheVirtualPutChar) {
  struct Shifted : CPortableOutputStream {
    using CPortableOutputStream::CPortableOutputStream;
    void PutChar(char c) override { CPortableOutputStream::PutChar(static_cast<char>(c + 1)); }
  };
  RecordingWriter writer;
  Shifted stream(&writer);
  stream.PutBool(true);
  stream.PutBool(false);
  EXPECT_EQ(writer.All(), "5547");  // 'U', 'G'
  EXPECT_STREQ(CPortableOutputStream::HexDigits, "0123456789ABCDEF");
}

TEST(CPortableOutputStream, OnlyBlocksAbove2048BytesAllocateAndFailuresLeakNothing) {
  if (!AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const std::string block = Pattern(2049);
  RecordingWriter writer;
  writer.calls.reserve(8);
  writer.pointers.reserve(8);
  CPortableOutputStream stream(&writer);
  {
    ScopedAllocationFailure failSecond(2);  // the first is the writer's copy
    stream.PutN(block.data(), 2048);
    EXPECT_FALSE(AllocationFailureFired());
  }
  size_t counted = 2048;
  const int points = ForEachAllocationFailure(
      [&] {
        counted += 2049;
        stream.PutN(block.data(), 2049);
      },
      [&] {
        EXPECT_EQ(writer.calls.size(), 1u) << "nothing written";
        EXPECT_EQ(stream.Tell(), counted) << "counted before the scratch area is asked for";
      });
  EXPECT_GE(points, 2) << "the array and the holder's count";
  EXPECT_EQ(writer.calls.back(), Hex(block));
  const long before = LiveAllocations();
  writer.failNext = true;
  EXPECT_THROW(stream.PutN(block.data(), 2049), WriterFailure);
  EXPECT_EQ(LiveAllocations(), before);
}

TEST(CPortableOutputStream, BlockWhoseTextSizeOverflowsIsRefusedUncounted) {
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  const char byte = 0;  // never read
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(stream.Tell(), 0u);
  // A text size that size_t holds but no array can: counted, then refused by
  // the allocation, as any allocation failure.
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_EQ(stream.Tell(), SIZE_MAX / 2);
  EXPECT_TRUE(writer.calls.empty());
}

}  // namespace
