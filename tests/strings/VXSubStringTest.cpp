#include "vexlo/strings/VXSubString.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "strings/StringTestSupport.h"

namespace {

using vx::NPOS;
using vx::VXString;
using vx::VXSubString;
using vxtest::Access;
using vxtest::Text;

static_assert(std::is_trivially_copyable<VXSubString>::value, "a view is plain fields");
static_assert(std::is_same<decltype(std::declval<const VXString&>().strip(VXString::Both, ' ')),
                           const VXSubString>::value,
              "the const strip answers a const view");

void ExpectView(const VXSubString& view, size_t start, size_t length) {
  EXPECT_EQ(view.start(), start);
  EXPECT_EQ(view.length(), length);
}

TEST(VXSubStringStrip, StartsAndLengthsBySide) {
  const VXString padded("  ab  ");
  ExpectView(padded.strip(VXString::Leading, ' '), 2, 4);
  ExpectView(padded.strip(VXString::Trailing, ' '), 0, 4);
  ExpectView(padded.strip(VXString::Both, ' '), 2, 2);
  EXPECT_TRUE(padded.strip(VXString::Both, ' ') == "ab");
  EXPECT_TRUE(padded.strip(VXString::Leading, ' ') == "ab  ");

  VXString xs("xxxx");
  ExpectView(xs.strip(VXString::Leading, 'x'), 4, 0);
  ExpectView(xs.strip(VXString::Both, 'x'), 4, 0);
  ExpectView(xs.strip(VXString::Trailing, 'x'), 0, 0);
  for (auto type : {VXString::Leading, VXString::Trailing, VXString::Both}) {
    EXPECT_TRUE(xs.strip(type, 'x') == "");
    for (const VXString& empty : {VXString(), VXString("")}) ExpectView(empty.strip(type, 'x'), 0, 0);
    ExpectView(xs.strip(type, 'y'), 0, 4);
  }
  const VXString nuls("\0a\0", 3);
  EXPECT_TRUE(nuls.strip(VXString::Both, '\0') == "a");
}

TEST(VXSubStringEquality, BytesDecideWhateverIsViewed) {
  const VXString hello("hello");
  const VXString ellx("ellx");
  const VXSubString ell = hello(1, 3);
  ExpectView(ell, 1, 3);
  EXPECT_TRUE("ell" == ell);
  EXPECT_TRUE(ell == "ell");
  EXPECT_TRUE(VXString("ell") == ell);
  EXPECT_TRUE(ell == VXString("ell"));
  EXPECT_TRUE(ell == ellx(0, 3));
  EXPECT_FALSE(ell == "el");
  EXPECT_FALSE(ell == "ELL");
  EXPECT_FALSE(VXString("el") == ell);
  EXPECT_TRUE(ell != ellx(1, 3));
  EXPECT_TRUE(ell != "ELL");
  EXPECT_TRUE("el" != ell);
  EXPECT_TRUE(VXString("ELL") != ell);
  EXPECT_TRUE(ell != VXString("ELL"));
}

TEST(VXSubStringEquality, TheNullSubStringEqualsEveryEmptyText) {
  const VXString hello("hello");
  const VXSubString null = hello(NPOS, 0);
  EXPECT_EQ(null.data(), Access::EmptyText());
  EXPECT_EQ(VXSubString().data(), Access::EmptyText());
  EXPECT_TRUE(null == VXString());
  EXPECT_TRUE(null == VXString(""));
  EXPECT_TRUE("" == null);
  EXPECT_TRUE(static_cast<const char*>(nullptr) == null);
  EXPECT_TRUE(null == hello(3, 0));
  EXPECT_TRUE(null == VXSubString());
  const VXString made(null);
  EXPECT_TRUE(made.isNull());
  EXPECT_EQ(made.capacity(), 8u);
}

TEST(VXSubString, ReadsTheStringAsItIsNow) {
  VXString s("hello");
  const VXSubString view = s(1, 3);
  s = "HELLO";
  EXPECT_TRUE(view == "ELL");
  s.replace(0, 5, "abcdefgh");
  EXPECT_TRUE(view == "bcd");
}

TEST(VXSubString, StringsMadeFromViewsOwnTheirBytes) {
  VXString s("hello, world");
  VXString five(s(0, 5));
  EXPECT_EQ(five.capacity(), 8u);
  EXPECT_EQ(Access::Count(five), 1);
  EXPECT_EQ(VXString(s(0, 8)).capacity(), 16u);
  const VXString whole = s(0, s.length());
  EXPECT_NE(whole.data(), s.data());
  EXPECT_EQ(Access::Count(s), 1);
  five[0] = 'J';
  s[1] = 'E';
  EXPECT_EQ(Text(five), "Jello");
  EXPECT_EQ(Text(s), "hEllo, world");
  EXPECT_EQ(Text(whole), "hello, world");
  const VXString nul("a\0b\0", 4);
  const VXString fromNul(nul(1, 3));
  EXPECT_EQ(fromNul.length(), 3u);
  EXPECT_EQ(Text(fromNul), std::string("\0b\0", 3));
}

}  // namespace
