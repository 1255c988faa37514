#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

namespace {

using vx::NPOS;
using vx::VXString;
constexpr VXString::ECaseComp kExact = VXString::Exact;
constexpr VXString::ECaseComp kIgnore = VXString::IgnoreCase;

TEST(VXStringSearch, BytesAndSets) {
  const VXString hello("hello");
  EXPECT_EQ(hello.first('l'), 2u);
  EXPECT_EQ(hello.index('l'), 2u);
  EXPECT_EQ(hello.last('l'), 3u);
  EXPECT_EQ(hello.last('h'), 0u);
  EXPECT_EQ(hello.index('l', 3), 3u);
  EXPECT_EQ(hello.index('l', 4), NPOS);
  EXPECT_EQ(hello.index('o', 5), NPOS);
  EXPECT_EQ(hello.index('o', 99), NPOS) << "a start beyond the text finds nothing";
  EXPECT_EQ(hello.first('\0'), NPOS) << "the terminator is not text";
  EXPECT_EQ(hello.first("ol"), 2u) << "the smallest position, whatever the set's order";
  EXPECT_EQ(hello.first(""), NPOS);
  EXPECT_EQ(hello.first(static_cast<const char*>(nullptr)), NPOS);
  EXPECT_EQ(VXString("\xff").first("\x7f\xff"), 0u);
  const VXString nul("a\0b", 3);
  EXPECT_EQ(nul.first('\0'), 1u);
  EXPECT_EQ(nul.last('\0'), 1u);
  EXPECT_EQ(nul.first("xb"), 2u) << "a measured set has no NUL";
  EXPECT_EQ(nul.first("x\0", 2), 1u);
}

TEST(VXStringSearch, SequencesByModeAndStart) {
  const VXString hello("hello");
  EXPECT_EQ(hello.index("LL", 0, kIgnore), 2u);
  EXPECT_EQ(hello.index("LL", 0, kExact), NPOS);
  EXPECT_EQ(hello.index("lo", 4), NPOS) << "longer than the room";
  EXPECT_EQ(hello.index("lo", 3), 3u);
  EXPECT_EQ(hello.index("lx"), NPOS);
  EXPECT_EQ(VXString("aaab").index("aab"), 1u);
  EXPECT_EQ(VXString("abAB").index("ab", 1, kIgnore), 2u);
  for (size_t start : {size_t{6}, NPOS}) EXPECT_EQ(hello.index("", start), NPOS);
  EXPECT_EQ(hello.index(VXString("lox"), 2, 0), 3u) << "only the first two pattern bytes";
  EXPECT_EQ(hello.index(VXString("LL"), 1, kIgnore), 2u);
  EXPECT_EQ(VXString("a\0b", 3).index("\0b", 2, 0), 1u);
  EXPECT_TRUE(VXString("xAbC").contains("aBc", kIgnore));
  EXPECT_FALSE(VXString("xAbC").contains(VXString("aBc")));
}

TEST(VXStringSearch, EmptyPatternsAndEmptyTexts) {
  const VXString abc("abc");
  EXPECT_EQ(abc.index("", 0), 0u);
  EXPECT_EQ(abc.index("", 2), 2u);
  EXPECT_EQ(abc.index("", 3), NPOS);
  EXPECT_TRUE(abc.contains(VXString()));
  for (const VXString& empty : {VXString(), VXString("")}) {
    EXPECT_FALSE(empty.contains(""));
    EXPECT_EQ(empty.index("", 0, 0) & empty.first('\0') & empty.last('\0') & empty.first("ab"), NPOS);
  }
}

TEST(VXStringCompare, ThreeWayValuesByMode) {
  const VXString abc("abc");
  for (VXString::ECaseComp mode : {kExact, kIgnore}) {
    EXPECT_LT(abc.compareTo("abd", mode), 0);
    EXPECT_EQ(abc.compareTo("ab", mode), 1);
    EXPECT_EQ(VXString("ab").compareTo(abc, mode), -1);
    EXPECT_EQ(VXString().compareTo("", mode), 0);
    EXPECT_EQ(abc.compareTo("abX", 2, mode), 1) << "only two bytes of the argument";
  }
  EXPECT_LT(VXString("ABC").compareTo("abc"), 0);
  EXPECT_EQ(VXString("ABC").compareTo("abc", kIgnore), 0);
  EXPECT_EQ(VXString("a").compareTo("B", kIgnore), -1);
  EXPECT_LT(VXString("_").compareTo("a"), 0);
  EXPECT_EQ(VXString("_").compareTo("a", kIgnore), 0x5F - 0x41);
  EXPECT_GT(VXString("\x80").compareTo("A"), 0);
  EXPECT_EQ(VXString("\x80").compareTo("A", kIgnore), -193);
  EXPECT_LT(VXString("a\0b", 3).compareTo(VXString("a\0c", 3)), 0);
}

TEST(VXStringCompare, EqualityIsExactOverTheWholeLength) {
  EXPECT_TRUE(VXString() == VXString(""));
  EXPECT_TRUE(VXString() == "");
  EXPECT_TRUE(VXString() == static_cast<const char*>(nullptr));
  EXPECT_FALSE(VXString("ab") == "abc");
  EXPECT_FALSE(VXString("abc") == "ab");
  EXPECT_FALSE(VXString("ABC") == "abc");
  EXPECT_FALSE(VXString("ab") == VXString("abc"));
  const VXString nul("a\0b", 3);
  EXPECT_FALSE(nul == nul.data());
  EXPECT_TRUE(nul == VXString("a\0b", 3));
  EXPECT_FALSE(nul == VXString("a\0c", 3));
}

TEST(VXStringHash, ValuesOfTheByteHash) {
  EXPECT_EQ(VXString().hash(), 0u);
  EXPECT_EQ(VXString("\0", 1).hash(), 0x9E3779B9u);
  EXPECT_EQ(VXString("\xff").hash(), 0x9E3779B8u);
  EXPECT_EQ(VXString("a").hash(), 0x9E377A1Au);
  const VXString abc("abc");
  EXPECT_EQ(abc.hash(), 0x00000A16FB515711u);
  EXPECT_EQ(VXString::hash(abc), abc.hash());
}

}  // namespace
