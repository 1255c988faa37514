// The contract both output streams share, run over each, then what is
// particular to each.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <type_traits>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"

namespace {

using vx::CBinaryOutputStream;
using vx::CPortableOutputStream;
using vxtest::Bytes;
using vxtest::FakeDevice;
using vxtest::Hex;
using vxtest::Pattern;
using vxtest::RecordingWriter;

static_assert(std::is_base_of<tvc::ITVCOutStream, CBinaryOutputStream>::value, "");
static_assert(std::is_base_of<tvc::ITVCOutStream, CPortableOutputStream>::value, "");
static_assert(!std::is_convertible<tvc::ITVCBinaryWriter*, CPortableOutputStream>::value,
              "a writer does not silently become a stream");
static_assert(std::is_copy_assignable<CBinaryOutputStream>::value, "");
static_assert(std::is_copy_assignable<CPortableOutputStream>::value, "");

// What distinguishes the two formats, for the shared tests: how the raw
// little-endian bytes of a value and a bool appear on the channel, and when
// a put is counted.
struct BinaryFormat {
  using Stream = CBinaryOutputStream;
  static std::string Encode(const std::string& raw) { return raw; }
  static std::string EncodeBool(bool b) { return std::string(1, b ? '\x01' : '\x00'); }
  static constexpr bool kCountsBeforeWriting = false;
};

struct PortableFormat {
  using Stream = CPortableOutputStream;
  static std::string Encode(const std::string& raw) { return Hex(raw); }
  static std::string EncodeBool(bool b) { return b ? "54" : "46"; }
  static constexpr bool kCountsBeforeWriting = true;
};

template <class Format>
class OutputStreamContract : public ::testing::Test {};

using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
// Names the instantiations after the format (and gives the macro its
// optional argument, which Clang's pedantic mode asks for).
struct FormatNames {
  template <class Format>
  static std::string GetName(int) {
    return std::is_same<Format, BinaryFormat>::value ? "Binary" : "Portable";
  }
};
TYPED_TEST_SUITE(OutputStreamContract, Formats, FormatNames);

struct Example {
  const char* call;
  std::function<void(tvc::ITVCOutStream&)> put;
  const char* rawHex;  // the value's bytes, least significant first
};

const std::int64_t kMinusTwo = -2;
const std::uint64_t kAscending = 0x0102030405060708ULL;

const Example kExamples[] = {
    {"PutChar('A')", [](tvc::ITVCOutStream& s) { s.PutChar('A'); }, "41"},
    {"PutChar('\\xE9')", [](tvc::ITVCOutStream& s) { s.PutChar('\xE9'); }, "E9"},
    {"PutBYTE(0xA5)", [](tvc::ITVCOutStream& s) { s.PutBYTE(0xA5); }, "A5"},
    {"PutShort(-2)", [](tvc::ITVCOutStream& s) { s.PutShort(-2); }, "FE FF"},
    {"PutWORD(0x1234)", [](tvc::ITVCOutStream& s) { s.PutWORD(0x1234); }, "34 12"},
    {"PutInt(1000)", [](tvc::ITVCOutStream& s) { s.PutInt(1000); }, "E8 03 00 00"},
    {"PutInt(-1)", [](tvc::ITVCOutStream& s) { s.PutInt(-1); }, "FF FF FF FF"},
    {"PutUint(3000000000)", [](tvc::ITVCOutStream& s) { s.PutUint(3000000000u); }, "00 5E D0 B2"},
    {"PutLong(-100)", [](tvc::ITVCOutStream& s) { s.PutLong(-100); }, "9C FF FF FF"},
    {"PutLong(-1)", [](tvc::ITVCOutStream& s) { s.PutLong(-1); }, "FF FF FF FF"},
    {"PutDWORD(0x12345678)", [](tvc::ITVCOutStream& s) { s.PutDWORD(0x12345678); }, "78 56 34 12"},
    {"PutDouble(1.0)", [](tvc::ITVCOutStream& s) { s.PutDouble(1.0); }, "00 00 00 00 00 00 F0 3F"},
    {"PutDouble(-2.5)", [](tvc::ITVCOutStream& s) { s.PutDouble(-2.5); },
     "00 00 00 00 00 00 04 C0"},
    {"PutDouble(-0.0)", [](tvc::ITVCOutStream& s) { s.PutDouble(-0.0); },
     "00 00 00 00 00 00 00 80"},
    {"PutInt64(-2)", [](tvc::ITVCOutStream& s) { s.PutInt64(kMinusTwo); },
     "FE FF FF FF FF FF FF FF"},
    {"PutUint64(0x0102030405060708)", [](tvc::ITVCOutStream& s) { s.PutUint64(kAscending); },
     "08 07 06 05 04 03 02 01"},
    {"PutSizet(300)", [](tvc::ITVCOutStream& s) { s.PutSizet(300); }, "2C 01 00 00 00 00 00 00"},
    {"PutN(\"Hi!\", 3)", [](tvc::ITVCOutStream& s) { s.PutN("Hi!", 3); }, "48 69 21"},
};

TYPED_TEST(OutputStreamContract, WorkedExamplesGoOutInOneWriteEach) {
  for (const Example& example : kExamples) {
    SCOPED_TRACE(example.call);
    RecordingWriter writer;
    typename TypeParam::Stream stream(&writer);
    example.put(stream);
    const std::string raw = Bytes(example.rawHex);
    ASSERT_EQ(writer.calls.size(), 1u);
    EXPECT_EQ(writer.calls[0], TypeParam::Encode(raw));
    EXPECT_EQ(stream.Tell(), raw.size());
  }
}

TYPED_TEST(OutputStreamContract, BoolIsOneValueByte) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  stream.PutBool(true);
  stream.PutBool(false);
  ASSERT_EQ(writer.calls.size(), 2u);
  EXPECT_EQ(writer.calls[0], TypeParam::EncodeBool(true));
  EXPECT_EQ(writer.calls[1], TypeParam::EncodeBool(false));
  EXPECT_EQ(stream.Tell(), 2u);
}

TYPED_TEST(OutputStreamContract, TellCountsValueBytesOfEveryPut) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  EXPECT_EQ(stream.Tell(), 0u);
  stream.PutInt(7);
  stream.PutBool(false);
  stream.PutDouble(0.5);
  EXPECT_EQ(stream.Tell(), 13u);
  EXPECT_EQ(writer.calls.size(), 3u);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("07 00 00 00")) + TypeParam::EncodeBool(false) +
                              TypeParam::Encode(Bytes("00 00 00 00 00 00 E0 3F")));
  const std::int64_t v = 5;
  stream.PutInt64(v);
  stream.PutBool(true);
  EXPECT_EQ(stream.Tell(), 22u);
  stream.Flush();  // the interface's hook: no effect
  EXPECT_EQ(stream.Tell(), 22u);
  EXPECT_EQ(writer.calls.size(), 5u);
  EXPECT_FALSE(stream.IsMeasure());
}

TYPED_TEST(OutputStreamContract, EmptyBlockIsOneEmptyWriteAndBlockIsNotRead) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  stream.PutN(nullptr, 0);
  ASSERT_EQ(writer.calls.size(), 1u);
  EXPECT_EQ(writer.calls[0], "");
  EXPECT_EQ(stream.Tell(), 0u);
}

TYPED_TEST(OutputStreamContract, LongAndDwordCarryTheirLow32Bits) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  stream.PutLong(static_cast<long>(std::numeric_limits<std::int32_t>::min()));
  stream.PutDWORD(0xFFFFFFFFul);
  if (sizeof(long) == 8) {
    // A wider long is cut to the 32 bits the formats carry.
    stream.PutLong(static_cast<long>(0x7FFFFFFF00000005LL));
    stream.PutDWORD(static_cast<unsigned long>(0xABCDEF0012345678ULL));
  } else {
    stream.PutLong(5);
    stream.PutDWORD(0x12345678ul);
  }
  ASSERT_EQ(writer.calls.size(), 4u);
  EXPECT_EQ(writer.calls[0], TypeParam::Encode(Bytes("00 00 00 80")));
  EXPECT_EQ(writer.calls[1], TypeParam::Encode(Bytes("FF FF FF FF")));
  EXPECT_EQ(writer.calls[2], TypeParam::Encode(Bytes("05 00 00 00")));
  EXPECT_EQ(writer.calls[3], TypeParam::Encode(Bytes("78 56 34 12")));
  EXPECT_EQ(stream.Tell(), 16u);
}

TYPED_TEST(OutputStreamContract, DoubleKeepsItsBitPattern) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  const std::uint64_t payloadNaN = 0x7FF8000000ABCDEFULL;
  double d;
  std::memcpy(&d, &payloadNaN, 8);
  stream.PutDouble(d);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("EF CD AB 00 00 00 F8 7F")));
}

TYPED_TEST(OutputStreamContract, CopiesShareTheWriterAndCountApart) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  stream.PutShort(1);
  typename TypeParam::Stream copy(stream);
  EXPECT_EQ(copy.Tell(), 2u);
  copy.PutInt(2);
  stream.PutBYTE(3);
  EXPECT_EQ(copy.Tell(), 6u);
  EXPECT_EQ(stream.Tell(), 3u);

  RecordingWriter other;
  typename TypeParam::Stream assigned(&other);
  assigned.PutDouble(0);
  assigned = copy;
  EXPECT_EQ(assigned.Tell(), 6u);
  assigned.PutBYTE(4);
  EXPECT_EQ(assigned.Tell(), 7u);
  EXPECT_EQ(copy.Tell(), 6u);
  EXPECT_EQ(other.calls.size(), 1u) << "the assigned stream writes to the source's writer";
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("01 00 02 00 00 00 03 04")));
  EXPECT_EQ(writer.calls.size(), 4u);
}

TYPED_TEST(OutputStreamContract, DeviceIsAskedForItsWriterOnce) {
  RecordingWriter writer;
  FakeDevice device(nullptr, &writer);
  typename TypeParam::Stream byReference(device);
  typename TypeParam::Stream byPointer(&static_cast<vx::IReadWriteDevice&>(device));
  EXPECT_EQ(device.writerCalls, 2);
  EXPECT_EQ(device.readerCalls, 0);
  EXPECT_EQ(byReference.Tell(), 0u);
  byReference.PutBYTE(1);
  byPointer.PutBYTE(2);
  EXPECT_EQ(device.writerCalls, 2);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("01 02")));

  device.fail = true;
  EXPECT_THROW(typename TypeParam::Stream failing(device), std::runtime_error);
}

TYPED_TEST(OutputStreamContract, WriterFailurePassesAndStreamGoesOn) {
  RecordingWriter writer;
  typename TypeParam::Stream stream(&writer);
  stream.PutInt(1);
  writer.FailCall(1);
  EXPECT_THROW(stream.PutDouble(2.0), vxtest::WriterFailure);
  // The binary stream counts what reached the writer; the portable stream
  // has counted the value before handing it over.
  EXPECT_EQ(stream.Tell(), TypeParam::kCountsBeforeWriting ? 12u : 4u);
  stream.PutShort(3);
  EXPECT_EQ(stream.Tell(), TypeParam::kCountsBeforeWriting ? 14u : 6u);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("01 00 00 00 03 00")));
}

TYPED_TEST(OutputStreamContract, LargeBlocksGoOutWhole) {
  for (size_t n : {size_t{2047}, size_t{2048}, size_t{2049}, size_t{100000}}) {
    SCOPED_TRACE(n);
    const std::string block = Pattern(n);
    RecordingWriter writer;
    typename TypeParam::Stream stream(&writer);
    stream.PutN(block.data(), n);
    ASSERT_EQ(writer.calls.size(), 1u);
    EXPECT_EQ(writer.calls[0], TypeParam::Encode(block));
    EXPECT_EQ(stream.Tell(), n);
  }
}

// ---- CBinaryOutputStream ---------------------------------------------------

TEST(CBinaryOutputStream, HandsTheCallersBytesToTheWriter) {
  RecordingWriter writer;
  CBinaryOutputStream stream(writer);
  const std::int64_t signed64 = -7;
  const std::uint64_t unsigned64 = 7;
  const char block[3] = {'a', 'b', 'c'};
  stream.PutInt64(signed64);
  stream.PutUint64(unsigned64);
  stream.PutN(block, 3);
  ASSERT_EQ(writer.pointers.size(), 3u);
  EXPECT_EQ(writer.pointers[0], &signed64);
  EXPECT_EQ(writer.pointers[1], &unsigned64);
  EXPECT_EQ(writer.pointers[2], block);
}

TEST(CBinaryOutputStream, NeverAllocates) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  struct CountingWriter : tvc::ITVCBinaryWriter {
    void Write(const void*, size_t count) override { total += count; }
    size_t total = 0;
  } writer;
  CBinaryOutputStream stream(&writer);
  const std::string block = Pattern(10000);
  {
    vxtest::ScopedAllocationFailure failNext(1);
    stream.PutN(block.data(), block.size());
    stream.PutDouble(1.5);
    stream.PutBool(true);
    EXPECT_FALSE(vxtest::AllocationFailureFired());
  }
  EXPECT_EQ(writer.total, 10009u);
  EXPECT_EQ(stream.Tell(), 10009u);
}

// ---- CPortableOutputStream -------------------------------------------------

TEST(CPortableOutputStream, HexDigitsAreTheUpperCaseAlphabet) {
  EXPECT_STREQ(CPortableOutputStream::HexDigits, "0123456789ABCDEF");
}

TEST(CPortableOutputStream, IntThenBoolAreTwoWrites) {
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  stream.PutInt(1);
  stream.PutBool(true);
  ASSERT_EQ(writer.calls.size(), 2u);
  EXPECT_EQ(writer.calls[0], "01000000");
  EXPECT_EQ(writer.calls[1], "54");
}

TEST(CPortableOutputStream, EveryByteValueIsTwoUpperCaseDigits) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  stream.PutN(all.data(), all.size());
  ASSERT_EQ(writer.calls.size(), 1u);
  const std::string& text = writer.calls[0];
  ASSERT_EQ(text.size(), 512u);
  for (int i = 0; i < 256; ++i) {
    char expected[3];
    std::snprintf(expected, sizeof expected, "%02X", i);
    EXPECT_EQ(text.substr(2 * static_cast<size_t>(i), 2), expected) << "byte " << i;
  }
}

// A derived stream that changes PutChar changes bools too.
class ShoutingStream : public CPortableOutputStream {
 public:
  using CPortableOutputStream::CPortableOutputStream;
  void PutChar(char c) override {
    seen += c;
    CPortableOutputStream::PutChar(static_cast<char>(c + 1));
  }
  std::string seen;
};

TEST(CPortableOutputStream, BoolGoesThroughTheVirtualPutChar) {
  RecordingWriter writer;
  ShoutingStream stream(&writer);
  stream.PutBool(true);
  stream.PutBool(false);
  EXPECT_EQ(stream.seen, "TF");
  EXPECT_EQ(writer.All(), "5547");  // 'U', 'G'
}

TEST(CPortableOutputStream, ScratchMovesToTheHeapAbove2048Bytes) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const std::string block = Pattern(2049);
  RecordingWriter writer;
  writer.calls.reserve(8);
  writer.pointers.reserve(8);
  CPortableOutputStream stream(&writer);
  {
    vxtest::ScopedAllocationFailure failNext(1);
    EXPECT_THROW(stream.PutN(block.data(), 2049), std::bad_alloc);
  }
  EXPECT_EQ(stream.Tell(), 2049u) << "counted before the scratch area was asked for";
  EXPECT_TRUE(writer.calls.empty());
  {
    // 2048 bytes fit the stack: the only allocation left is the recording
    // writer's own copy of the 4096 characters.
    vxtest::ScopedAllocationFailure failNext(2);
    stream.PutN(block.data(), 2048);
    EXPECT_FALSE(vxtest::AllocationFailureFired());
  }
  ASSERT_EQ(writer.calls.size(), 1u);
  EXPECT_EQ(writer.calls[0], Hex(block.substr(0, 2048)));
}

TEST(CPortableOutputStream, HeapScratchFailsCleanlyAtEveryAllocation) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const std::string block = Pattern(5000);
  RecordingWriter writer;
  writer.calls.reserve(64);
  writer.pointers.reserve(64);
  CPortableOutputStream stream(&writer);
  size_t expectedCount = 0;
  const int points = vxtest::ForEachAllocationFailure(
      [&] {
        expectedCount += 5000;
        stream.PutN(block.data(), block.size());
      },
      [&] {
        EXPECT_TRUE(writer.calls.empty());
        EXPECT_EQ(stream.Tell(), expectedCount);
      });
  EXPECT_GE(points, 2) << "the array and the holder's count";
  ASSERT_EQ(writer.calls.size(), 1u);
  EXPECT_EQ(writer.calls[0], Hex(block));
}

TEST(CPortableOutputStream, HeapScratchIsFreedWhenTheWriterThrows) {
  const std::string block = Pattern(3000);
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  const long before = vxtest::LiveAllocations();
  writer.FailCall(1);
  EXPECT_THROW(stream.PutN(block.data(), block.size()), vxtest::WriterFailure);
  EXPECT_EQ(vxtest::LiveAllocations(), before);
  EXPECT_EQ(stream.Tell(), 3000u);
}

TEST(CPortableOutputStream, BlockWhoseTextSizeOverflowsIsRefusedUncounted) {
  RecordingWriter writer;
  CPortableOutputStream stream(&writer);
  stream.PutBYTE(1);
  const char byte = 0;
  // Never read: the size is refused first.
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX), std::bad_array_new_length);
  EXPECT_EQ(stream.Tell(), 1u);
  // One that fits size_t but no array: counted, then refused by the
  // allocation, as any allocation failure.
  EXPECT_THROW(stream.PutN(&byte, SIZE_MAX / 2), std::bad_alloc);
  EXPECT_EQ(stream.Tell(), 1u + SIZE_MAX / 2);
  EXPECT_EQ(writer.calls.size(), 1u);
}

}  // namespace
