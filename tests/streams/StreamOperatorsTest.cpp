#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/streams/StreamOperators.h"

namespace {

using vx::VXString;
using namespace vxtest;

template <class Format>
class StreamOperators : public ::testing::Test {};
using Formats = ::testing::Types<BinaryFormat, PortableFormat>;
TYPED_TEST_SUITE(StreamOperators, Formats, FormatNames);

TYPED_TEST(StreamOperators, StringsAndTextsAreTheLengthThenTheBytes) {
  RecordingWriter writer;
  typename TypeParam::Out out(&writer);
  const char withNul[] = {'a', '\0', 'b'};
  const char* text = "abc";
  out << VXString(withNul, 3) << withNul << VXString() << text;  // the text stops at the NUL
  vx::PutLPCSTR(out, text, 0);
  vx::PutLPCSTR(out, text, 2);
  vx::PutLPCSTR(out, text, 99);
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

TYPED_TEST(StreamOperators, ReadBackOrLeaveTheTargetAsItWas) {
  RecordingWriter writer;
  typename TypeParam::Out out(&writer);
  out << VXString("abc") << VXString() << "de";
  StringReader reader(writer.All());
  typename TypeParam::In in(&reader);
  VXString abc("old"), empty("old");
  VXString* first = nullptr;
  VXString* second = nullptr;
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
  EXPECT_THROW(in >> abc, tvc::TVCBufferUnderrunException);
  EXPECT_THROW(in >> first, tvc::TVCBufferUnderrunException);
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

TYPED_TEST(StreamOperators, BitVectorsGoThroughTheirOwnOperations) {
  vx::CBitVector bits(11);
  bits.Set(10);
  RecordingWriter writer;
  typename TypeParam::Out out(&writer);
  out << bits << bits;
  StringReader reader(writer.All());
  typename TypeParam::In in(&reader);
  struct Counting : vx::CBitVector {
    void ReadFrom(tvc::ITVCInStream& s) override { ++reads, CBitVector::ReadFrom(s); }
    int reads = 0;
  } read;
  in >> read >> read;
  EXPECT_EQ(read, bits);
  EXPECT_EQ(read.reads, 2);
}

// Strings of up to 4096 bytes are read on the stack, longer ones through
// one heap array and its holder: two more failure points. The portable
// stream's own scratch is on the heap for both lengths.
TEST(StreamOperators, OnlyStringsAbove4096BytesAllocateAScratchArea) {
  if (!AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  int points[2][2] = {};
  for (size_t n : {size_t{4096}, size_t{4097}}) {
    RecordingWriter writer;
    vx::CPortableOutputStream out(&writer);
    const std::string text = Pattern(n);
    out << VXString(text.data(), n);
    StringReader reader(writer.All());
    vx::CPortableInputStream in(&reader);
    VXString target("old");
    VXString* pointer = &target;
    points[n - 4096][0] = ForEachAllocationFailure([&] { reader.position = 0, in >> target; },
                                                   [&] { EXPECT_EQ(target, "old"); });
    points[n - 4096][1] = ForEachAllocationFailure([&] { reader.position = 0, in >> pointer; },
                                                   [&] { EXPECT_EQ(pointer, &target); });
    EXPECT_EQ(target.view(), text);
    EXPECT_EQ(pointer->view(), text);
    delete pointer;
  }
  EXPECT_EQ(points[1][0], points[0][0] + 2);
  EXPECT_EQ(points[1][1], points[0][1] + 2);
}

}  // namespace
