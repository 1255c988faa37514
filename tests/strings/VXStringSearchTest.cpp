#include "vexlo/strings/VXSubString.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "strings/StringTestSupport.h"

namespace {

using vx::NPOS;
using vx::VXString;
using vx::VXSubString;
using vxtest::Text;
constexpr VXString::ECaseComp kExact = VXString::Exact;
constexpr VXString::ECaseComp kIgnore = VXString::IgnoreCase;

static_assert(!std::is_convertible<VXString, std::string_view>::value, "no implicit view");
static_assert(!std::is_convertible<std::string_view, VXString>::value, "explicit from a view");

template <class T>
struct Found {
  const char* call;
  T got, want;
};
// clang-format off
#define FOUND(call, want) {#call, call, want}
// clang-format on

TEST(VXStringSearch, BytesSetsAndSequencesByModeAndStart) {
  const VXString hello("hello"), nul("a\0b", 3), abc("abc"), none, empty("");
  // clang-format off
  const Found<size_t> cases[] = {
      FOUND(hello.first('l'), 2), FOUND(hello.index('l'), 2), FOUND(hello.last('l'), 3),
      FOUND(hello.last('h'), 0), FOUND(hello.index('l', 3), 3), FOUND(hello.index('l', 4), NPOS),
      FOUND(hello.index('o', 5), NPOS), FOUND(hello.index('o', 99), NPOS),
      FOUND(hello.first('\0'), NPOS),  // the terminator is not text
      FOUND(hello.first("ol"), 2),     // the smallest position, whatever the set's order
      FOUND(hello.first(""), NPOS), FOUND(hello.first(static_cast<const char*>(nullptr)), NPOS),
      FOUND(VXString("\xff").first("\x7f\xff"), 0), FOUND(nul.first('\0'), 1),
      FOUND(nul.last('\0'), 1), FOUND(nul.first("xb"), 2), FOUND(nul.first("x\0", 2), 1),
      FOUND(hello.index("LL", 0, kIgnore), 2), FOUND(hello.index("LL", 0, kExact), NPOS),
      FOUND(hello.index("lo", 4), NPOS), FOUND(hello.index("lo", 3), 3),
      FOUND(hello.index("lx"), NPOS), FOUND(VXString("aaab").index("aab"), 1),
      FOUND(VXString("abAB").index("ab", 1, kIgnore), 2), FOUND(hello.index("", 6), NPOS),
      FOUND(hello.index("", NPOS), NPOS),
      FOUND(hello.index(VXString("lox"), 2, 0), 3),  // only the first two pattern bytes
      FOUND(hello.index(VXString("LL"), 1, kIgnore), 2), FOUND(nul.index("\0b", 2, 0), 1),
      FOUND(abc.index("", 0), 0), FOUND(abc.index("", 2), 2), FOUND(abc.index("", 3), NPOS),
      FOUND(none.index("", 0, 0), NPOS), FOUND(empty.index("", 0, 0), NPOS),
      FOUND(none.first('\0'), NPOS), FOUND(empty.last('\0'), NPOS), FOUND(empty.first("ab"), NPOS)};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.call;
  EXPECT_TRUE(VXString("xAbC").contains("aBc", kIgnore) && abc.contains(VXString()));
  EXPECT_FALSE(VXString("xAbC").contains(VXString("aBc")) || none.contains("") ||
               empty.contains(""));
}

// Exact comparison promises only the sign for differing bytes (+1 and -1
// stand for any positive and negative value); the folded one gives the
// difference of the folded bytes, and a shorter text is -1, a longer +1.
TEST(VXStringCompare, ThreeWayValuesByMode) {
  const VXString abc("abc");
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (VXString::ECaseComp mode : {kExact, kIgnore}) {
    EXPECT_EQ(sign(abc.compareTo("abd", mode)), -1);
    EXPECT_EQ(abc.compareTo("ab", mode), 1);
    EXPECT_EQ(VXString("ab").compareTo(abc, mode), -1);
    EXPECT_EQ(VXString().compareTo("", mode), 0);
    EXPECT_EQ(abc.compareTo("abX", 2, mode), 1) << "only two bytes of the argument";
  }
  // clang-format off
  const Found<int> cases[] = {
      FOUND(sign(VXString("ABC").compareTo("abc")), -1), FOUND(VXString("ABC").compareTo("abc", kIgnore), 0),
      FOUND(VXString("a").compareTo("B", kIgnore), -1), FOUND(sign(VXString("_").compareTo("a")), -1),
      FOUND(VXString("_").compareTo("a", kIgnore), 0x5F - 0x41), FOUND(sign(VXString("\x80").compareTo("A")), 1),
      FOUND(VXString("\x80").compareTo("A", kIgnore), -193),
      FOUND(sign(VXString("a\0b", 3).compareTo(VXString("a\0c", 3))), -1)};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.call;
}

TEST(VXStringCompare, EqualityIsExactOverTheWholeLengthEitherWayRound) {
  const VXString abc("abc"), nul("a\0b", 3);
  EXPECT_TRUE(VXString() == VXString("") && VXString() == "" &&
              VXString() == static_cast<const char*>(nullptr));
  EXPECT_TRUE("abc" == abc && abc != "abd" && "ab" != abc && abc != VXString("ABC"));
  EXPECT_FALSE(VXString("ab") == "abc" || abc == "ab" || VXString("ABC") == "abc" ||
               VXString("ab") == abc || "abd" == abc || abc != VXString("abc"));
  EXPECT_TRUE(nul == VXString("a\0b", 3) && !(nul == nul.data()) && !(nul == VXString("a\0c", 3)));
}

TEST(VXStringHash, ValuesOfTheByteHash) {
  EXPECT_EQ(VXString().hash(), 0u);
  EXPECT_EQ(VXString("\0", 1).hash(), 0x9E3779B9u);
  EXPECT_EQ(VXString("\xff").hash(), 0x9E3779B8u);
  EXPECT_EQ(VXString("a").hash(), 0x9E377A1Au);
  const VXString abc("abc");
  EXPECT_EQ(abc.hash(), 0x00000A16FB515711u);
  EXPECT_EQ(VXString::hash(abc), abc.hash());
  EXPECT_EQ(std::hash<VXString>{}(abc), abc.hash());
}

TEST(VXStringInterop, KeysViewsRangesAndStreams) {
  std::unordered_map<VXString, int> counts;
  for (const char* word : {"b", "a", "b", "ab", "b"}) ++counts[VXString(word)];
  EXPECT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts.at(VXString("b")), 3);
  std::map<VXString, int> ordered;
  for (const char* word : {"b", "a", "B", "ab", "\x80"}) ordered[VXString(word)] = 0;
  std::string keys;
  for (const auto& entry : ordered) keys += entry.first.data() + std::string(" ");
  EXPECT_EQ(keys, "B a ab b \x80 ") << "exact unsigned byte order";
  EXPECT_TRUE(VXString("b") > VXString("a") && VXString("a") <= VXString("a"));
  EXPECT_FALSE(VXString("a") >= VXString("ab"));
  const VXString nul(std::string_view("a\0b", 3));
  EXPECT_EQ(nul.view(), std::string_view("a\0b", 3));
  std::string bytes;
  for (char c : nul) bytes += c;
  for (char c : VXString()) bytes += c;
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  std::ostringstream out;
  out << nul << '|' << std::setw(5) << VXString("ab") << '|';
  EXPECT_EQ(out.str(), std::string("a\0b|   ab|", 10));
}

using R = std::pair<size_t, size_t>;
R Range(const VXSubString& view) { return {view.start(), view.length()}; }

TEST(VXSubStringStrip, StartsAndLengthsBySide) {
  const VXString padded("  ab  "), xs("xxxx");
  EXPECT_EQ(Range(padded.strip(VXString::Leading, ' ')), R(2, 4));
  EXPECT_EQ(Range(padded.strip(VXString::Trailing, ' ')), R(0, 4));
  EXPECT_EQ(Range(padded.strip(VXString::Both, ' ')), R(2, 2));
  EXPECT_EQ(Range(xs.strip(VXString::Leading, 'x')), R(4, 0));
  EXPECT_EQ(Range(xs.strip(VXString::Both, 'x')), R(4, 0));
  EXPECT_EQ(Range(xs.strip(VXString::Trailing, 'x')), R(0, 0));
  for (auto type : {VXString::Leading, VXString::Trailing, VXString::Both}) {
    EXPECT_EQ(Range(VXString().strip(type, 'x')), R(0, 0));
    EXPECT_EQ(Range(xs.strip(type, 'y')), R(0, 4));
  }
  EXPECT_TRUE(VXString("\0a\0", 3).strip(VXString::Both, '\0') == "a");
}

TEST(VXSubString, ComparesBytesAndReadsTheStringAsItIsNow) {
  VXString hello("hello");
  const VXSubString ell = hello(1, 3);
  EXPECT_TRUE("ell" == ell && ell == "ell" && VXString("ell") == ell && ell == VXString("ell"));
  EXPECT_TRUE(ell == VXString("ellx")(0, 3));
  EXPECT_FALSE(ell == "el" || ell == "ELL" || VXString("el") == ell);
  EXPECT_TRUE(ell != hello(0, 3) && "el" != ell && ell != VXString("ELL"));
  const VXSubString null = hello(NPOS, 0);
  EXPECT_EQ(null.data(), vxtest::Access::EmptyText());
  EXPECT_TRUE(null == VXString() && "" == null && null == hello(3, 0) && null == VXSubString());
  EXPECT_EQ(VXString(null).capacity(), 8u);
  hello = "HELLO";
  EXPECT_TRUE(ell == "ELL");
}

TEST(VXSubString, StringsMadeFromViewsOwnTheirBytes) {
  VXString s("hello, world");
  VXString five(s(0, 5));
  EXPECT_EQ(five.capacity(), 8u);
  EXPECT_EQ(VXString(s(0, 8)).capacity(), 16u);
  const VXString whole = s(0, s.length());
  EXPECT_NE(whole.data(), s.data());
  five[0] = 'J';
  s[1] = 'E';
  EXPECT_EQ(Text(five) + Text(s) + Text(whole), "JellohEllo, worldhello, world");
  EXPECT_EQ(Text(VXString(VXString("a\0b\0", 4)(1, 3))), std::string("\0b\0", 3));
}

}  // namespace
