#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "StreamFakes.h"
#include "support/AllocationFailure.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CBitVector.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/streams/CStreamFormatException.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using vx::CBitVector;
using vxtest::Bytes;
using vxtest::Hex;
using vxtest::RecordingWriter;
using vxtest::StringReader;

CBitVector Bits(const std::string& pattern) {  // "1010" -> bits 0 and 2 set
  CBitVector v(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) v.Set(i, pattern[i] == '1');
  return v;
}

std::string Pattern(const CBitVector& v) {
  std::string out;
  for (size_t i = 0; i < v.Size(); ++i) out += v.Test(i) ? '1' : '0';
  return out;
}

TEST(CBitVector, SetResetTestAndCount) {
  CBitVector empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Size(), 0u);
  EXPECT_EQ(empty.Count(), 0u);

  CBitVector v(10);
  EXPECT_EQ(v.Size(), 10u);
  EXPECT_EQ(Pattern(v), "0000000000");
  v.Set(0);
  v.Set(2);
  v.Set(9);
  v.Set(4, false);
  EXPECT_EQ(Pattern(v), "1010000001");
  EXPECT_EQ(v.Count(), 3u);
  v.Reset(0);
  v.Set(8, true);
  EXPECT_EQ(Pattern(v), "0010000011");

  const CBitVector ones(13, true);
  EXPECT_EQ(ones.Count(), 13u) << "no bit beyond the size is counted";
  EXPECT_EQ(Pattern(ones), std::string(13, '1'));
}

TEST(CBitVector, EqualityIsSizeAndBits) {
  EXPECT_EQ(Bits("1010"), Bits("1010"));
  EXPECT_NE(Bits("1010"), Bits("1011"));
  EXPECT_NE(Bits("1010"), Bits("10100")) << "a trailing clear bit still counts";
  EXPECT_EQ(CBitVector(), CBitVector(0, true));
  CBitVector grownAndCut(5, true);
  grownAndCut.Resize(3);
  EXPECT_EQ(grownAndCut, CBitVector(3, true)) << "bits cut off leave no trace";
}

TEST(CBitVector, ResizeKeepsTheFirstBitsAndFillsTheRest) {
  CBitVector v = Bits("101");
  v.Resize(12, true);
  EXPECT_EQ(Pattern(v), "101111111111");
  v.Resize(20);
  EXPECT_EQ(Pattern(v), "10111111111100000000");
  v.Resize(2, true);
  EXPECT_EQ(Pattern(v), "10");
  v.Resize(9, true);
  EXPECT_EQ(Pattern(v), "101111111");
  v.Resize(0);
  EXPECT_TRUE(v.Empty());
}

TEST(CBitVector, CopiesAreIndependentAndMovesEmptyTheSource) {
  CBitVector a = Bits("110");
  CBitVector b(a);
  b.Set(2);
  EXPECT_EQ(Pattern(a), "110");
  EXPECT_EQ(Pattern(b), "111");
  a = b;
  EXPECT_EQ(a, b);
  const CBitVector& alias = a;
  a = alias;
  EXPECT_EQ(Pattern(a), "111");
  CBitVector moved(std::move(a));
  EXPECT_EQ(Pattern(moved), "111");
  EXPECT_TRUE(a.Empty());  // NOLINT(bugprone-use-after-move): documented state
  b = std::move(moved);
  EXPECT_EQ(Pattern(b), "111");
  b.Swap(a);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(Pattern(a), "111");
}

TEST(CBitVector, SerialisedFormIsCountThenPackedBytes) {
  const CBitVector v = Bits("1010000001");  // bits 0, 2 and 9: bytes 05 02
  RecordingWriter binaryWriter, portableWriter;
  vx::CBinaryOutputStream binary(&binaryWriter);
  vx::CPortableOutputStream portable(&portableWriter);
  v.WriteTo(binary);
  v.WriteTo(portable);
  ASSERT_EQ(binaryWriter.calls.size(), 2u);
  EXPECT_EQ(binaryWriter.calls[0], Bytes("0A 00 00 00 00 00 00 00"));
  EXPECT_EQ(binaryWriter.calls[1], Bytes("05 02"));
  ASSERT_EQ(portableWriter.calls.size(), 2u);
  EXPECT_EQ(portableWriter.calls[0], "0A00000000000000");
  EXPECT_EQ(portableWriter.calls[1], "0502");
  EXPECT_EQ(binary.Tell(), 10u);
  EXPECT_EQ(portable.Tell(), 10u);

  RecordingWriter emptyWriter;
  vx::CPortableOutputStream emptyOut(&emptyWriter);
  CBitVector().WriteTo(emptyOut);
  ASSERT_EQ(emptyWriter.calls.size(), 2u);
  EXPECT_EQ(emptyWriter.calls[0], "0000000000000000");
  EXPECT_EQ(emptyWriter.calls[1], "");
}

TEST(CBitVector, ReadsBackWhatItWroteInBothFormats) {
  for (size_t size : {0, 1, 7, 8, 9, 64, 1001, 40000}) {
    SCOPED_TRACE(size);
    CBitVector original(size);
    for (size_t i = 0; i < size; ++i) original.Set(i, (i * 2654435761u) % 3 == 0);
    RecordingWriter binaryWriter, portableWriter;
    vx::CBinaryOutputStream binaryOut(&binaryWriter);
    vx::CPortableOutputStream portableOut(&portableWriter);
    original.WriteTo(binaryOut);
    original.WriteTo(portableOut);

    StringReader binaryReader(binaryWriter.All()), portableReader(portableWriter.All());
    vx::CBinaryInputStream binaryIn(&binaryReader);
    vx::CPortableInputStream portableIn(&portableReader);
    CBitVector fromBinary(3, true), fromPortable;
    fromBinary.ReadFrom(binaryIn);
    fromPortable.ReadFrom(portableIn);
    EXPECT_EQ(fromBinary, original);
    EXPECT_EQ(fromPortable, original);
    EXPECT_EQ(binaryReader.Remaining(), 0u);
    EXPECT_EQ(portableReader.Remaining(), 0u);
  }
}

TEST(CBitVector, FailedReadLeavesTheVectorAsItWas) {
  const CBitVector before = Bits("1101");
  struct Case {
    const char* what;
    std::string portableText;
  };
  const Case cases[] = {
      {"count cut short", "0A000000"},
      {"bits cut short",
       "0A00000000000000"
       "05"},
      {"bad digit in the bits",
       "0A00000000000000"
       "0x02"},
      {"unused high bits set",
       "0A00000000000000"
       "0506"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StringReader reader(c.portableText);
    vx::CPortableInputStream in(&reader);
    CBitVector v = before;
    EXPECT_THROW(v.ReadFrom(in), tvc::TVCIPCException);
    EXPECT_EQ(v, before);
  }
  StringReader reader(
      "0300000000000000"
      "0F");
  vx::CPortableInputStream in(&reader);
  CBitVector v;
  try {
    v.ReadFrom(in);
    FAIL() << "bit 3 of a 3-bit vector is set";
  } catch (const vx::CStreamFormatException& e) {
    EXPECT_STREQ(e.what(),
                 "CBitVector: unused high bits set in the last byte (0x0F) of a 3-bit vector");
  }
}

TEST(CBitVector, CountNoArrayCanHoldIsAnAllocationError) {
  const CBitVector before = Bits("01");
  for (std::uint64_t count : {~std::uint64_t{0}, std::uint64_t{1} << 63}) {
    StringReader reader(std::string(reinterpret_cast<const char*>(&count), 8) + "rest");
    vx::CBinaryInputStream in(&reader);
    CBitVector v = before;
    EXPECT_THROW(v.ReadFrom(in), std::bad_alloc);
    EXPECT_EQ(v, before);
    EXPECT_EQ(reader.position, 8u) << "the bits are not read";
  }
}

TEST(CBitVector, AllocationFailuresLeaveEveryObjectAsItWas) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const CBitVector source = Bits("10110111001");
  CBitVector target = Bits("01");
  vxtest::ForEachAllocationFailure([&] { target = source; },
                                   [&] { EXPECT_EQ(Pattern(target), "01"); });
  EXPECT_EQ(target, source);

  CBitVector resized = Bits("111");
  vxtest::ForEachAllocationFailure([&] { resized.Resize(100, true); },
                                   [&] { EXPECT_EQ(Pattern(resized), "111"); });
  EXPECT_EQ(resized.Count(), 100u);

  // 20000 bits: 2500 bytes, read through the portable stream's heap scratch.
  CBitVector big(20000);
  big.Set(19999);
  RecordingWriter writer;
  vx::CPortableOutputStream out(&writer);
  big.WriteTo(out);
  const std::string text = writer.All();
  StringReader reader(text);
  reader.sizes.reserve(256);
  vx::CPortableInputStream in(&reader);
  CBitVector read = Bits("1");
  const int points = vxtest::ForEachAllocationFailure(
      [&] {
        reader.position = 0;
        read.ReadFrom(in);
      },
      [&] { EXPECT_EQ(Pattern(read), "1"); });
  EXPECT_GE(points, 3) << "the vector's bytes, the scratch array and its holder";
  EXPECT_EQ(read, big);
}

// The operators of the library reach a vector only through its first two
// virtual operations; a derived vector can change the form.
TEST(CBitVector, DerivedVectorsOverrideTheSerialisedForm) {
  struct Tagged : CBitVector {
    using CBitVector::CBitVector;
    void WriteTo(tvc::ITVCOutStream& s) const override {
      s.PutChar('V');
      CBitVector::WriteTo(s);
    }
    void ReadFrom(tvc::ITVCInStream& s) override {
      char tag = 0;
      s.GetChar(tag);
      CBitVector::ReadFrom(s);
    }
  };
  Tagged original(3, true);
  const CBitVector& asBase = original;
  RecordingWriter writer;
  vx::CPortableOutputStream out(&writer);
  asBase.WriteTo(out);
  EXPECT_EQ(writer.All(),
            "56"
            "0300000000000000"
            "07");
  StringReader reader(writer.All());
  vx::CPortableInputStream in(&reader);
  Tagged copy;
  static_cast<CBitVector&>(copy).ReadFrom(in);
  EXPECT_EQ(copy, original);
}

}  // namespace
