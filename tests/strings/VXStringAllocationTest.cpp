#include "vexlo/strings/VXSubString.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "support/AllocationFailure.h"
#include "strings/StringTestSupport.h"

namespace {

using vx::VXString;
using vxtest::Access;
using vxtest::Text;

// Every constructor: a failed allocation leaks nothing and leaves the source
// as it was.
TEST(VXStringAllocation, ConstructorsLeakNothing) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  VXString marked("marked");
  marked[0] = 'M';
  const VXString source("source");
  const std::function<void()> constructions[] = {
      [] { VXString s; },
      [] { VXString s("abc"); },
      [] { VXString s("a\0c", 3); },
      [] { VXString s(size_t{40}); },
      [] { VXString s('x', 9); },
      [&] { VXString s(marked); },
      [&] { VXString s(source(1, 3)); },
      [] { VXString s(std::string_view("view")); },
  };
  for (const auto& construct : constructions) {
    EXPECT_GE(vxtest::ForEachAllocationFailure(construct, [&] {
      EXPECT_EQ(Text(marked), "Marked");
      EXPECT_EQ(Access::Count(marked), Access::Unshareable());
      EXPECT_EQ(Access::Count(source), 1);
    }), 1);
  }
  EXPECT_EQ(vxtest::ForEachAllocationFailure([&] { VXString s(source); }), 0)
      << "copying a shareable string allocates nothing";
}

struct Start {
  const char* name;
  std::function<void(VXString& s, VXString& other)> make;
};

// Every mutating operation, from every kind of start: when an allocation
// fails, the string keeps its record, text, capacity and count, and the
// other holder keeps its text.
TEST(VXStringAllocation, FailedChangesLeaveEveryHolderAsItWas) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const VXString src("0123456789");
  const std::function<void(VXString&)> operations[] = {
      [&](VXString& s) { s = src; },
      [](VXString& s) { s = 'c'; },
      [](VXString& s) { s = "a longer text than before"; },
      [](VXString& s) { s[0] = 'W'; },
      [](VXString& s) { s(0) = 'W'; },
      [](VXString& s) { s.replace(0, 2, "replacement text"); },
      [](VXString& s) { s.replace(0, 1, "r"); },
      [&](VXString& s) { s.replace(0, 1, src); },
      [&](VXString& s) { s.replace(0, 1, src, 9); },
      [](VXString& s) { s.append("appended text"); },
      [](VXString& s) { s.append("appended\0text", 13); },
      [&](VXString& s) { s.append(src); },
      [&](VXString& s) { s.append(src, 4); },
      [](VXString& s) { s.append(s); },
      [](VXString& s) { s += "more text here"; },
      [&](VXString& s) { s += src; },
      [](VXString& s) { s.prepend("prepended text"); },
      [](VXString& s) { s.prepend("prepended", 3); },
      [&](VXString& s) { s.prepend(src); },
      [&](VXString& s) { s.prepend(src, 7); },
      [](VXString& s) { s.insert(0, "inserted text"); },
      [](VXString& s) { s.insert(0, "inserted", 4); },
      [&](VXString& s) { s.insert(0, src); },
      [&](VXString& s) { s.insert(0, src, 6); },
      [](VXString& s) { s.remove(0); },
      [](VXString& s) { s.remove(0, 1); },
      [](VXString& s) { s.append('x', 30); },
      [](VXString& s) { s.append('x'); },
      [](VXString& s) { s += 'x'; },
      [](VXString& s) { s.prepend('x', 30); },
      [](VXString& s) { s.resize(30); },
      [](VXString& s) { s.resize(0); },
      [](VXString& s) { s.toLower(); },
      [](VXString& s) { s.toUpper(); },
  };
  const Start starts[] = {
      {"without buffer", [](VXString&, VXString&) {}},
      {"full", [](VXString& s, VXString&) { s = "1234567"; }},
      {"shared", [](VXString& s, VXString& other) { s = "shared"; other = s; }},
      {"marked", [](VXString& s, VXString&) { s = "1234567"; s[0] = 'm'; }},
  };
  int failurePoints = 0;
  for (const Start& start : starts) {
    for (size_t i = 0; i < std::size(operations); ++i) {
      SCOPED_TRACE(std::string(start.name) + ", operation " + std::to_string(i));
      VXString s;
      VXString other;
      start.make(s, other);
      const std::string text = Text(s);
      const std::string otherText = Text(other);
      const char* const data = s.data();
      const size_t capacity = s.capacity();
      const long count = Access::Count(s);
      failurePoints += vxtest::ForEachAllocationFailure([&] { operations[i](s); }, [&] {
        EXPECT_EQ(Text(s), text);
        EXPECT_EQ(s.data(), data);
        EXPECT_EQ(s.capacity(), capacity);
        EXPECT_EQ(Access::Count(s), count);
        EXPECT_EQ(Text(other), otherText);
        EXPECT_EQ(s.data()[s.length()], '\0');
      });
    }
  }
  EXPECT_GT(failurePoints, 100) << "the failure paths were reached";
}

}  // namespace
