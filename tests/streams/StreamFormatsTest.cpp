// What both formats share, run over each: one Write and one Read per value,
// the byte order, counting, copies, failures of the channel, short and
// hostile input, the scratch areas of blocks, and the string operators.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/StreamOperators.h"

namespace {

using tvc::TVCBufferUnderrunException;
using vx::CStreamFormatException;
using vx::VXString;
using namespace vxtest;
using In = tvc::ITVCInStream;

static_assert(!std::is_convertible<tvc::ITVCBinaryWriter*, vx::CPortableOutputStream>::value,
              "a writer does not silently become a stream");

template <class Format>
class Streams : public ::testing::Test {};
using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
TYPED_TEST_SUITE(Streams, Formats, FormatNames);

// The value bytes, least significant first, hex-encoded by the portable stream.
TYPED_TEST(Streams, EachValueGoesOutInOneWrite) {
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
  s.PutBool(true), s.PutBool(false), s.Flush();  // the interface's hook does nothing
  std::vector<std::string> raw;                  // the expected value bytes of each call
  std::istringstream table(
      "41|E9|A5|FE FF|34 12|E8 03 00 00|FF FF FF FF|00 5E D0 B2|9C FF FF FF|FF FF FF FF|"
      "05 00 00 00|78 56 34 12|21 43 65 87|00 00 00 00 00 00 F0 3F|00 00 00 00 00 00 04 C0|"
      "00 00 00 00 00 00 00 80|FE FF FF FF FF FF FF FF|08 07 06 05 04 03 02 01|"
      "2C 01 00 00 00 00 00 00|48 69 21||");
  for (std::string field; std::getline(table, field, '|');) raw.push_back(field);
  raw.push_back(TypeParam::kCharsPerByte == 1 ? "01" : "54");  // bools: 01 00, or 'T' 'F'
  raw.push_back(TypeParam::kCharsPerByte == 1 ? "00" : "46");
  ASSERT_EQ(writer.calls.size(), raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    EXPECT_EQ(writer.calls[i], TypeParam::Encode(Bytes(raw[i]))) << raw[i];
  }
  EXPECT_EQ(s.Tell(), 92u);
  EXPECT_FALSE(s.IsMeasure());
}

TYPED_TEST(Streams, CopiesShareTheWriterNotTheCount) {
  RecordingWriter writer, other;
  typename TypeParam::Out stream(&writer), assigned(&other);
  stream.PutInt(7), stream.PutBool(false), stream.PutDouble(0.5);
  typename TypeParam::Out copy(stream);
  assigned = copy;
  copy.PutShort(1);
  assigned.PutBYTE(2);
  EXPECT_EQ((std::vector<size_t>{stream.Tell(), copy.Tell(), assigned.Tell()}),
            (std::vector<size_t>{13, 15, 14}));
  EXPECT_EQ(writer.calls.size(), 5u);
  EXPECT_TRUE(other.calls.empty());
}

// The binary stream counts what reached the writer; the portable one counts
// the value before writing it.
TYPED_TEST(Streams, WriterFailurePassesAndTheStreamGoesOn) {
  RecordingWriter writer;
  typename TypeParam::Out stream(&writer);
  stream.PutInt(1);
  writer.failNext = true;
  EXPECT_THROW(stream.PutDouble(2.0), WriterFailure);
  EXPECT_EQ(stream.Tell(), TypeParam::kCountsBeforeWriting ? 12u : 4u);
  stream.PutShort(3);
  EXPECT_EQ(writer.All(), TypeParam::Encode(Bytes("01 00 00 00 03 00")));
}

// Every get against a channel one character short of its value, then against
// arbitrary bytes: the value arrives, or the documented exception passes with
// the destination untouched (although the reader scribbled on the buffer it
// was given), and the stream reads on. Under the asan preset this is also the
// memory-safety check of the decoders.
TYPED_TEST(Streams, ShortOrHostileInputLeavesTheDestinationUntouched) {
  alignas(8) unsigned char value[8];
  const auto untouched = [&value] { return std::count(value, value + 8, 0xA7) == 8; };
  for (const GetCase& c : AllGets()) {
    const std::string full = TypeParam::Encode(std::string(c.width, '\1'));
    StringReader reader(full.substr(0, full.size() - 1));
    typename TypeParam::In stream(&reader);
    std::memset(value, 0xA7, 8);
    EXPECT_THROW(c.get(stream, value), TVCBufferUnderrunException) << c.width;
    EXPECT_TRUE(untouched());
    reader.content = full;
    c.get(stream, value);  // the stream reads on
    EXPECT_EQ(reader.sizes, std::vector<size_t>(2, full.size())) << "one Read per value";
  }
  std::mt19937 rng(20240601u);
  int outcomes[3] = {};  // value, underrun, malformed
  for (int round = 0; round < 3000; ++round) {
    std::string content(rng() % 60, '\0');
    const bool digits = rng() % 2 == 0;  // mostly digits, to get past the first character
    for (char& ch : content) {
      ch = digits && rng() % 50 != 0 ? "0123456789ABCDEF"[rng() % 16] : static_cast<char>(rng());
    }
    StringReader reader(content);
    typename TypeParam::In stream(&reader);
    for (int step = 0; step < 8; ++step) {
      std::memset(value, 0xA7, 8);
      int outcome = 0;
      try {
        AllGets()[rng() % AllGets().size()].get(stream, value);
      } catch (const TVCBufferUnderrunException&) {
        outcome = 1;
      } catch (const CStreamFormatException&) {
        outcome = 2;
      }
      ++outcomes[outcome];
      ASSERT_TRUE(outcome == 0 || untouched()) << round;
    }
  }
  EXPECT_TRUE(outcomes[0] > 0 && outcomes[1] > 0 && outcomes[2] > 0);
}

TYPED_TEST(Streams, OnlyBlocksAboveTheStackLimitAllocate) {
  const size_t limit = TypeParam::kStackBlock;
  const std::string block = Pattern(limit + 1);
  StringReader reader(TypeParam::Encode(block));
  typename TypeParam::In stream(&reader);
  std::string out(limit + 1, 'z');
  if (AllocationFailureInjectable()) {
    {
      ScopedAllocationFailure failNext(1);
      stream.GetN(&out[0], limit);
      EXPECT_FALSE(AllocationFailureFired());
    }
    EXPECT_EQ(out.substr(0, limit), block.substr(0, limit));
    reader.position = 0;
    out.assign(limit + 1, 'z');
    reader.sizes.clear();
    const int points = ForEachAllocationFailure(
        [&] { stream.GetN(&out[0], limit + 1); },
        [&] { EXPECT_TRUE(out == std::string(limit + 1, 'z') && reader.sizes.empty()); });
    EXPECT_GE(points, 2) << "the array and the holder's count";
    EXPECT_EQ(out, block);
  }
  reader.position = 1;  // one character short: the heap scratch is freed
  const long before = LiveAllocations();
  out.assign(limit + 1, 'z');
  EXPECT_THROW(stream.GetN(&out[0], limit + 1), TVCBufferUnderrunException);
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_EQ(out, std::string(limit + 1, 'z'));
  char byte = 'z';
  const size_t reads = reader.sizes.size();
  EXPECT_THROW(stream.GetN(&byte, SIZE_MAX), std::bad_array_new_length);
  EXPECT_THROW(stream.GetN(&byte, SIZE_MAX / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(reader.sizes.size(), reads) << "impossible sizes are refused before reading";
}

TYPED_TEST(Streams, StringsAndTextsAreTheLengthThenTheBytes) {
  RecordingWriter writer;
  typename TypeParam::Out out(&writer);
  const char withNul[] = {'a', '\0', 'b'};
  const char* text = "abc";
  out << VXString(withNul, 3) << withNul << VXString() << text;  // the text stops at the NUL
  vx::PutLPCSTR(out, text, 0), vx::PutLPCSTR(out, text, 2), vx::PutLPCSTR(out, text, 99);
  const auto E = [](const char* raw) { return TypeParam::Encode(Bytes(raw)); };
  const std::string length0 = E("00 00 00 00 00 00 00 00");
  EXPECT_EQ(
      writer.calls,
      (std::vector<std::string>{
          E("03 00 00 00 00 00 00 00"), E("61 00 62"), E("01 00 00 00 00 00 00 00"), E("61"),
          length0, "", E("03 00 00 00 00 00 00 00"), E("61 62 63"), length0, "",
          E("02 00 00 00 00 00 00 00"), E("61 62"), E("03 00 00 00 00 00 00 00"), E("61 62 63")}));
  EXPECT_EQ(out.Tell(), 7 * 8u + 3 + 1 + 3 + 2 + 3);
}

TYPED_TEST(Streams, StringsReadBackOrLeaveTheTargetAsItWas) {
  RecordingWriter writer;
  typename TypeParam::Out out(&writer);
  out << VXString("abc") << VXString() << "de";
  StringReader reader(writer.All());
  typename TypeParam::In in(&reader);
  VXString abc("old"), empty("old");
  VXString *first = nullptr, *second = nullptr;
  in >> abc >> empty;
  EXPECT_EQ(abc, "abc");
  EXPECT_EQ(abc.capacity(), 8u);
  EXPECT_EQ(empty.length(), 0u);
  reader.position = 0;
  in >> first >> second;
  const std::unique_ptr<VXString> own1(first), own2(second);
  EXPECT_NE(first, second) << "a new object each time";
  EXPECT_EQ(*first, "abc");
  // A length with fewer bytes behind it than it announces, then at the end.
  reader.content = TypeParam::Encode(Bytes("02 00 00 00 00 00 00 00 64"));
  reader.position = 0;
  EXPECT_THROW(in >> abc, TVCBufferUnderrunException);
  EXPECT_THROW(in >> first, TVCBufferUnderrunException);
  EXPECT_EQ(abc, "abc");
  EXPECT_EQ(first, own1.get());
  // A length no array can have, and one no allocator grants.
  for (const char* length : {"FF FF FF FF FF FF FF FF", "00 00 00 00 00 00 00 40"}) {
    reader.content = TypeParam::Encode(Bytes(length)) + "rest";
    reader.position = 0;
    EXPECT_THROW(in >> abc, std::bad_alloc);
    EXPECT_EQ(abc, "abc");
  }
}

}  // namespace
