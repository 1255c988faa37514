#include "vexlo/strings/VXSubString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "strings/StringTestSupport.h"

namespace {

using vx::NPOS;
using vx::VXString;
using vx::VXSubString;
using vxtest::Text;

std::pair<size_t, size_t> Range(const VXSubString& view) { return {view.start(), view.length()}; }
using R = std::pair<size_t, size_t>;

TEST(VXSubStringStrip, StartsAndLengthsBySide) {
  const VXString padded("  ab  ");
  EXPECT_EQ(Range(padded.strip(VXString::Leading, ' ')), R(2, 4));
  EXPECT_EQ(Range(padded.strip(VXString::Trailing, ' ')), R(0, 4));
  EXPECT_EQ(Range(padded.strip(VXString::Both, ' ')), R(2, 2));
  VXString xs("xxxx");
  EXPECT_EQ(Range(xs.strip(VXString::Leading, 'x')), R(4, 0));
  EXPECT_EQ(Range(xs.strip(VXString::Both, 'x')), R(4, 0));
  EXPECT_EQ(Range(xs.strip(VXString::Trailing, 'x')), R(0, 0));
  for (auto type : {VXString::Leading, VXString::Trailing, VXString::Both}) {
    EXPECT_EQ(Range(VXString().strip(type, 'x')), R(0, 0));
    EXPECT_EQ(Range(xs.strip(type, 'y')), R(0, 4));
  }
  EXPECT_TRUE(VXString("\0a\0", 3).strip(VXString::Both, '\0') == "a");
}

TEST(VXSubStringEquality, BytesDecideWhateverIsViewed) {
  const VXString hello("hello");
  const VXSubString ell = hello(1, 3);
  EXPECT_TRUE("ell" == ell && ell == "ell");
  EXPECT_TRUE(VXString("ell") == ell && ell == VXString("ell"));
  EXPECT_TRUE(ell == VXString("ellx")(0, 3));
  EXPECT_FALSE(ell == "el" || ell == "ELL" || VXString("el") == ell);
  EXPECT_TRUE(ell != hello(0, 3) && "el" != ell && ell != VXString("ELL"));
  const VXSubString null = hello(NPOS, 0);
  EXPECT_EQ(null.data(), vxtest::Access::EmptyText());
  EXPECT_TRUE(null == VXString() && "" == null && null == hello(3, 0) && null == VXSubString());
  const VXString fromNull(null);
  EXPECT_EQ(fromNull.capacity(), 8u);
}

TEST(VXSubString, ReadsTheStringAsItIsNow) {
  VXString s("hello");
  const VXSubString view = s(1, 3);
  s = "HELLO";
  EXPECT_TRUE(view == "ELL");
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
