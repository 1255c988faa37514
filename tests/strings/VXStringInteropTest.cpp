#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>

namespace {

using vx::VXString;

static_assert(!std::is_convertible<VXString, std::string_view>::value, "no implicit view");
static_assert(!std::is_convertible<std::string_view, VXString>::value, "explicit from a view");

TEST(VXStringInterop, KeysOfHashedAndOrderedContainers) {
  std::unordered_map<VXString, int> counts;
  for (const char* word : {"b", "a", "b", "ab", "b"}) ++counts[VXString(word)];
  EXPECT_EQ(counts.size(), 3u);
  EXPECT_EQ(counts.at(VXString("b")), 3);
  EXPECT_EQ(std::hash<VXString>{}(VXString("abc")), VXString("abc").hash());
  std::map<VXString, int> ordered;
  for (const char* word : {"b", "a", "B", "ab", "\x80"}) ordered[VXString(word)] = 0;
  std::string keys;
  for (const auto& entry : ordered) keys += entry.first.data() + std::string(" ");
  EXPECT_EQ(keys, "B a ab b \x80 ") << "exact unsigned byte order";
  EXPECT_TRUE(VXString("b") > VXString("a") && VXString("a") <= VXString("a"));
  EXPECT_FALSE(VXString("a") >= VXString("ab"));
}

TEST(VXStringInterop, ReversedAndNegatedEqualityAgree) {
  const VXString abc("abc");
  EXPECT_TRUE("abc" == abc && abc != "abd" && "ab" != abc && abc != VXString("ABC"));
  EXPECT_FALSE("abd" == abc || abc != VXString("abc"));
}

TEST(VXStringInterop, ViewsRangesAndStreams) {
  const VXString nul(std::string_view("a\0b", 3));
  EXPECT_EQ(nul.capacity(), 8u);
  EXPECT_EQ(nul.view(), std::string_view("a\0b", 3));
  std::string bytes;
  for (char c : nul) bytes += c;
  for (char c : VXString()) bytes += c;
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  std::ostringstream out;
  out << nul << '|' << std::setw(5) << VXString("ab") << '|';
  EXPECT_EQ(out.str(), std::string("a\0b|   ab|", 10));
}

}  // namespace
