// Edges that the stream script does not reach: bit vectors of no bits, moves,
// resizes across a partial byte; the format exception's text; a bounded text
// that ends before its bound.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "vexlo/vexlo.h"

using vx::CBitVector;

namespace {

std::string Bits(const CBitVector& v) {
  std::string bits;
  for (size_t i = 0; i < v.Size(); ++i) bits += v.Test(i) ? '1' : '0';
  return bits;
}

TEST(CBitVector, EmptyMovedAndResizedVectorsHoldTheirBits) {
  struct Row {
    const char* name;
    std::function<CBitVector()> make;
    const char* bits;
  };
  const Row rows[] = {
      {"no bits, filled", [] { return CBitVector(0, true); }, ""},
      {"a copy of no bits", [] { return CBitVector(CBitVector()); }, ""},
      {"moved, the source left empty",
       [] {
         CBitVector a(10, true), b(std::move(a));
         EXPECT_EQ(a.Size(), 0u);
         return b;
       },
       "1111111111"},
      {"move-assigned, the source left empty",
       [] {
         CBitVector a(3, true), b(17);
         b = std::move(a);
         EXPECT_EQ(a.Size(), 0u);
         return b;
       },
       "111"},
      {"resized to nothing",
       [] {
         CBitVector a(9, true);
         a.Resize(0, true);
         return a;
       },
       ""},
      {"resized from nothing",
       [] {
         CBitVector a;
         a.Resize(3, true);
         return a;
       },
       "111"},
      {"grown past a partial byte: old bits kept, new ones filled",
       [] {
         CBitVector a(10);
         a.Set(9, true);
         a.Resize(19, true);
         return a;
       },
       "0000000001111111111"},
  };
  for (const Row& row : rows) {
    const CBitVector v = row.make();
    EXPECT_EQ(Bits(v), row.bits) << row.name;
    EXPECT_EQ(v, CBitVector(v)) << row.name;
  }
  EXPECT_EQ(CBitVector(), CBitVector(0, true));
  EXPECT_FALSE(CBitVector(12, true) == CBitVector(12, false));
  EXPECT_FALSE(CBitVector(12) == CBitVector(11));
}

// The text is the one given, cut to MaxMessageLength; none gives a generic one.
TEST(CStreamFormatException, KeepsItsTextWithinItsBound) {
  using vx::CStreamFormatException;
  const std::string longText(300, 'x');
  EXPECT_STREQ(CStreamFormatException().what(), "malformed stream data");
  EXPECT_STREQ(CStreamFormatException(nullptr).what(), "malformed stream data");
  EXPECT_STREQ(CStreamFormatException("short").what(), "short");
  EXPECT_EQ(CStreamFormatException(longText.c_str()).what(),
            longText.substr(0, CStreamFormatException::MaxMessageLength));
}

// PutLPCSTR puts the text up to its NUL or its bound, whichever comes first.
TEST(PutLPCSTR, StopsAtTheNulOrTheBound) {
  vx::CMemWriter bytes;
  vx::CBinaryOutputStream out(bytes);
  vx::PutLPCSTR(out, "ab", 5);
  vx::PutLPCSTR(out, "cde", 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()),
            std::string("\2\0\0\0\0\0\0\0ab\2\0\0\0\0\0\0\0cd", 20));
}

}  // namespace
