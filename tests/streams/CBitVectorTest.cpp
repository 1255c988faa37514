#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CStreamFormatException.h"

namespace {

using vx::CBitVector;
using namespace vxtest;

CBitVector Bits(const std::string& pattern) {  // "101": bits 0 and 2 set
  CBitVector v(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) v.Set(i, pattern[i] == '1');
  return v;
}

std::string Pattern(const CBitVector& v) {
  std::string out;
  for (size_t i = 0; i < v.Size(); ++i) out += v.Test(i) ? '1' : '0';
  return out;
}

TEST(CBitVector, BitsSizeEqualityAndResize) {
  CBitVector v(10);
  v.Set(0), v.Set(2), v.Set(9), v.Set(8), v.Reset(8), v.Set(4, false);
  EXPECT_EQ(Pattern(v), "1010000001");
  EXPECT_EQ(v.Count(), 3u);
  EXPECT_EQ(CBitVector(13, true).Count(), 13u) << "no bit past the size is counted";
  EXPECT_NE(Bits("1010"), Bits("10100")) << "a trailing clear bit still counts";
  EXPECT_EQ(CBitVector(), CBitVector(0, true));
  v.Resize(12, true);
  EXPECT_EQ(Pattern(v), "101000000111");
  v.Resize(3);
  EXPECT_EQ(v, Bits("101")) << "bits cut off leave no trace";
  CBitVector copy(v);
  copy.Set(1);
  EXPECT_EQ(Pattern(v) + Pattern(copy), "101111") << "copies are deep";
  CBitVector moved(std::move(copy));
  EXPECT_TRUE(copy.Empty());  // NOLINT(bugprone-use-after-move): documented state
  v = moved;
  EXPECT_EQ(Pattern(v), "111");
}

TEST(CBitVector, SerialisedFormIsTheCountThenThePackedBytes) {
  RecordingWriter binary, portable;
  vx::CBinaryOutputStream binaryOut(&binary);
  vx::CPortableOutputStream portableOut(&portable);
  Bits("1010000001").WriteTo(binaryOut);  // bits 0, 2, 9: bytes 05 02
  Bits("1010000001").WriteTo(portableOut);
  CBitVector().WriteTo(portableOut);
  EXPECT_EQ(binary.calls,
            (std::vector<std::string>{Unhex("0A 00 00 00 00 00 00 00"), Unhex("05 02")}));
  EXPECT_EQ(portable.calls,
            (std::vector<std::string>{"0A00000000000000", "0502", "0000000000000000", ""}));
  EXPECT_EQ(binaryOut.Tell(), 10u);
}

TEST(CBitVector, FailedReadLeavesTheVectorAsItWas) {
  const char* const texts[] = {
      "0A000000",              // count cut short
      "0A0000000000000005",    // bits cut short
      "0A000000000000000x02",  // not a digit
      "03000000000000000F",    // bit 3 of a 3-bit vector set
      "FFFFFFFFFFFFFFFF00",    // no array holds 2^61 bytes
      "000000000000008000",    // nor 2^60
  };
  for (const char* text : texts) {
    StringReader reader(text);
    vx::CPortableInputStream in(&reader);
    CBitVector v = Bits("1101");
    EXPECT_ANY_THROW(v.ReadFrom(in)) << text;
    EXPECT_EQ(Pattern(v), "1101") << text;
  }
  StringReader reader("03000000000000000F0000000000000080");
  vx::CPortableInputStream in(&reader);
  CBitVector v;
  EXPECT_EQ(WhatOf([&] { v.ReadFrom(in); }),
            "CBitVector: unused high bits set in the last byte (0x0F) of a 3-bit vector");
  EXPECT_THROW(v.ReadFrom(in), std::bad_alloc);
  EXPECT_EQ(reader.position, reader.content.size()) << "the bits were not read";
}

TEST(CBitVector, AllocationFailuresLeaveEveryObjectAsItWas) {
  if (!AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const CBitVector source = Bits("10110111001");
  CBitVector target = Bits("01");
  ForEachAllocationFailure([&] { target = source; }, [&] { EXPECT_EQ(Pattern(target), "01"); });
  ForEachAllocationFailure([&] { target.Resize(20000, true); }, [&] { EXPECT_EQ(target, source); });
  EXPECT_EQ(target.Count(), 19996u);
  RecordingWriter writer;
  vx::CPortableOutputStream out(&writer);
  target.WriteTo(out);
  StringReader reader(writer.All());
  vx::CPortableInputStream in(&reader);
  CBitVector read = Bits("1");
  const int points = ForEachAllocationFailure([&] { reader.position = 0, read.ReadFrom(in); },
                                              [&] { EXPECT_EQ(Pattern(read), "1"); });
  EXPECT_GE(points, 3) << "the bits, the stream's heap scratch and its holder";
  EXPECT_EQ(read, target);
}

}  // namespace
