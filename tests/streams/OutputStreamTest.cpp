#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <type_traits>

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

const std::int64_t kMinusTwo = -2;
const std::uint64_t kAscending = 0x0102030405060708ULL;

// Each put, and the value bytes it produces, least significant first; the
// channel gets them (hex-encoded by the portable stream) in one Write.
const struct {
  std::function<void(tvc::ITVCOutStream&)> put;
  const char* raw;
} kExamples[] = {
    {[](tvc::ITVCOutStream& s) { s.PutChar('A'); }, "41"},
    {[](tvc::ITVCOutStream& s) { s.PutChar('\xE9'); }, "E9"},
    {[](tvc::ITVCOutStream& s) { s.PutBYTE(0xA5); }, "A5"},
    {[](tvc::ITVCOutStream& s) { s.PutShort(-2); }, "FE FF"},
    {[](tvc::ITVCOutStream& s) { s.PutWORD(0x1234); }, "34 12"},
    {[](tvc::ITVCOutStream& s) { s.PutInt(1000); }, "E8 03 00 00"},
    {[](tvc::ITVCOutStream& s) { s.PutInt(-1); }, "FF FF FF FF"},
    {[](tvc::ITVCOutStream& s) { s.PutUint(3000000000u); }, "00 5E D0 B2"},
    {[](tvc::ITVCOutStream& s) { s.PutLong(-100); }, "9C FF FF FF"},
    {[](tvc::ITVCOutStream& s) { s.PutLong(-1); }, "FF FF FF FF"},
    // A 64-bit long is cut to the 32 bits the formats carry.
    {[](tvc::ITVCOutStream& s) { s.PutLong(static_cast<long>(0x7FFFFFFF00000005LL)); },
     "05 00 00 00"},
    {[](tvc::ITVCOutStream& s) { s.PutDWORD(0x12345678); }, "78 56 34 12"},
    {[](tvc::ITVCOutStream& s) { s.PutDWORD(static_cast<unsigned long>(0xABCDEF0087654321ULL)); },
     "21 43 65 87"},
    {[](tvc::ITVCOutStream& s) { s.PutDouble(1.0); }, "00 00 00 00 00 00 F0 3F"},
    {[](tvc::ITVCOutStream& s) { s.PutDouble(-2.5); }, "00 00 00 00 00 00 04 C0"},
    {[](tvc::ITVCOutStream& s) { s.PutDouble(-0.0); }, "00 00 00 00 00 00 00 80"},
    {[](tvc::ITVCOutStream& s) { s.PutInt64(kMinusTwo); }, "FE FF FF FF FF FF FF FF"},
    {[](tvc::ITVCOutStream& s) { s.PutUint64(kAscending); }, "08 07 06 05 04 03 02 01"},
    {[](tvc::ITVCOutStream& s) { s.PutSizet(300); }, "2C 01 00 00 00 00 00 00"},
    {[](tvc::ITVCOutStream& s) { s.PutN("Hi!", 3); }, "48 69 21"},
};

TYPED_TEST(OutputStreams, EachValueGoesOutInOneWrite) {
  for (const auto& example : kExamples) {
    SCOPED_TRACE(example.raw);
    RecordingWriter writer;
    typename TypeParam::Out stream(&writer);
    example.put(stream);
    ASSERT_EQ(writer.calls.size(), 1u);
    EXPECT_EQ(writer.calls[0], TypeParam::Encode(Bytes(example.raw)));
    EXPECT_EQ(stream.Tell(), Bytes(example.raw).size());
  }
  RecordingWriter writer;
  typename TypeParam::Out stream(&writer);
  stream.PutBool(true);
  stream.PutBool(false);
  stream.PutN(nullptr, 0);  // an empty Write; the block is not read
  EXPECT_EQ(writer.calls, (std::vector<std::string>{TypeParam::EncodeBool(true),
                                                    TypeParam::EncodeBool(false), ""}));
  EXPECT_EQ(stream.Tell(), 2u);
  stream.Flush();  // the interface's hook does nothing
  EXPECT_EQ(writer.calls.size(), 3u);
  EXPECT_FALSE(stream.IsMeasure());
}

TYPED_TEST(OutputStreams, CopiesAndDeviceStreamsShareTheWriterNotTheCount) {
  RecordingWriter writer;
  FakeDevice device;
  device.writer = &writer;
  typename TypeParam::Out stream(device);
  typename TypeParam::Out fromPointer(&static_cast<vx::IReadWriteDevice&>(device));
  EXPECT_EQ(device.calls, 2);
  stream.PutInt(7);
  stream.PutBool(false);
  stream.PutDouble(0.5);
  EXPECT_EQ(stream.Tell(), 13u);
  typename TypeParam::Out copy(stream);
  fromPointer = copy;
  copy.PutShort(1);
  fromPointer.PutBYTE(2);
  EXPECT_EQ(stream.Tell(), 13u);
  EXPECT_EQ(copy.Tell(), 15u);
  EXPECT_EQ(fromPointer.Tell(), 14u);
  EXPECT_EQ(writer.calls.size(), 5u);
  EXPECT_EQ(device.calls, 2) << "asked once, by the constructor";
  device.fail = true;
  EXPECT_THROW(typename TypeParam::Out failing(device), std::runtime_error);
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

TYPED_TEST(OutputStreams, BlocksAroundTheStackLimitGoOutWhole) {
  for (size_t n : {size_t{2048}, size_t{2049}, size_t{70000}}) {
    const std::string block = Pattern(n);
    RecordingWriter writer;
    typename TypeParam::Out stream(&writer);
    stream.PutN(block.data(), n);
    ASSERT_EQ(writer.calls.size(), 1u);
    EXPECT_EQ(writer.calls[0], TypeParam::Encode(block)) << n;
  }
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
