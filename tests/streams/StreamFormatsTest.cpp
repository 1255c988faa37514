// What both formats share, run over each: one Write and one Read per value,
// the byte order, counting, copies, failures of the channel, short and
// hostile input, the scratch areas of blocks, and the string operators.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "StreamFakes.h"
#include "channels/ChannelTestSupport.h"
#include "support/AllocationFailure.h"
#include "vexlo/channels/CMemStreamBuf.h"
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
    EXPECT_EQ(writer.calls[i], TypeParam::Encode(Unhex(raw[i]))) << raw[i];
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
  EXPECT_EQ(writer.All(), TypeParam::Encode(Unhex("01 00 00 00 03 00")));
}

// Every get against a channel one character short of its value: one Read,
// the underrun passes with the destination untouched (although the reader
// scribbled on the buffer it was given), and the stream reads on.
TYPED_TEST(Streams, ShortInputLeavesTheDestinationUntouched) {
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
}

TYPED_TEST(Streams, OnlyBlocksAboveTheStackLimitAllocate) {
  const size_t limit = TypeParam::kStackBlock;
  const std::string block = Sample(limit + 1);
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
  const auto E = [](const char* raw) { return TypeParam::Encode(Unhex(raw)); };
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
  VXString* first = nullptr;
  in >> abc >> empty;
  EXPECT_TRUE(abc == "abc" && abc.capacity() == 8u && empty.length() == 0u);
  // A length with fewer bytes behind it than it announces, then at the end.
  reader.content = TypeParam::Encode(Unhex("02 00 00 00 00 00 00 00 64"));
  reader.position = 0;
  EXPECT_THROW(in >> abc, TVCBufferUnderrunException);
  EXPECT_THROW(in >> first, TVCBufferUnderrunException);
  EXPECT_EQ(abc, "abc");
  EXPECT_EQ(first, nullptr);
  // A length no array can have, and one no allocator grants.
  for (const char* length : {"FF FF FF FF FF FF FF FF", "00 00 00 00 00 00 00 40"}) {
    reader.content = TypeParam::Encode(Unhex(length)) + "rest";
    reader.position = 0;
    EXPECT_THROW(in >> abc, std::bad_alloc);
    EXPECT_EQ(abc, "abc");
  }
}

const std::uint64_t kNaNBits = 0xFFF4000000ABCDEFULL;  // a signalling NaN with a payload
const char kWithNul[] = {'a', '\0', 'b'};
const std::string kBlocks[] = {"", Sample(2049), Sample(4097)};

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
#define GET(T, F) (Read<T, &In::F>(in))
  EXPECT_TRUE(GET(bool, GetBool) && GET(char, GetChar) == CHAR_MIN);
  EXPECT_TRUE(GET(unsigned char, GetBYTE) == 255 && GET(short, GetShort) == SHRT_MIN);
  EXPECT_TRUE(GET(unsigned short, GetWORD) == USHRT_MAX && GET(int, GetInt) == INT_MIN);
  EXPECT_TRUE(GET(unsigned, GetUint) == UINT_MAX && GET(long, GetLong) == INT32_MIN);
  EXPECT_EQ(GET(unsigned long, GetDWORD), UINT32_MAX);
  const double nan = GET(double, GetDouble), zero = GET(double, GetDouble);
  std::uint64_t nanBits = 0;
  std::memcpy(&nanBits, &nan, 8);
  EXPECT_EQ(nanBits, kNaNBits) << "NaN payload kept";
  EXPECT_TRUE(zero == 0.0 && std::signbit(zero));
  EXPECT_TRUE(GET(std::int64_t, GetInt64) == INT64_MIN &&
              GET(std::uint64_t, GetUint64) == UINT64_MAX);
  EXPECT_EQ(GET(size_t, GetSizet), SIZE_MAX);
#undef GET
  for (const std::string& expected : kBlocks) {
    std::string block(expected.size(), '\0');
    in.GetN(&block[0], block.size());
    EXPECT_EQ(block, expected);
  }
  vx::CBitVector bits;
  vx::VXString string, *text = nullptr;
  in >> bits >> string >> text;  // the pointer form makes a new string
  const std::unique_ptr<vx::VXString> owner(text);
  EXPECT_EQ(bits, Bits());
  EXPECT_EQ(string, vx::VXString(kWithNul, 3));
  EXPECT_TRUE(text != nullptr && *text == "text");
  unsigned char extra = 7;
  EXPECT_THROW(in.GetBYTE(extra), tvc::TVCBufferUnderrunException) << "nothing is left";
  EXPECT_EQ(extra, 7);
}

template <class Format, class WriterMaker, class ReaderMaker>
void RoundTripThrough() {
  SCOPED_TRACE(testing::internal::GetTypeName<WriterMaker>());
  WriterMaker writer;
  typename Format::Out out(&writer.writer);
  PutAll(out);
  ReaderMaker reader;
  typename Format::In in(&reader.Make(writer.Written()));
  GetAll(in);
}

// Everything an output stream writes, its input stream reads back, value for
// value, through each channel of the library, streams made from devices included.
TYPED_TEST(Streams, EveryTypeComesBackThroughEveryChannel) {
  RoundTripThrough<TypeParam, FileWriterMaker, FileReaderMaker>();
  RoundTripThrough<TypeParam, MemWriterMaker, MemReaderMaker>();
  RoundTripThrough<TypeParam, IpcWriterMaker, IpcReaderMaker>();
  vx::CMemStreamBuf written;  // streams made from devices
  typename TypeParam::Out out(written);
  PutAll(out);
  vx::CMemStreamBuf reading(written.str(), written.out_waiting());
  typename TypeParam::In in(&static_cast<vx::IReadWriteDevice&>(reading));
  GetAll(in);
}

}  // namespace
