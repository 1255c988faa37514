#include "vexlo/strings/VXSubString.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "strings/StringTestSupport.h"
#include "support/AllocationFailure.h"

namespace {

using vx::VXString;
using vxtest::Access;
using vxtest::Text;

TEST(VXStringAllocation, ConstructorsLeakNothing) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  VXString marked("marked");
  marked[0] = 'M';
  // clang-format off
  const std::function<void()> constructions[] = {
      [] { VXString s; },           [] { VXString s("abc"); },     [] { VXString s("a\0c", 3); },
      [] { VXString s(size_t{9}); }, [] { VXString s('x', 9); },    [&] { VXString s(marked); },
      [&] { VXString s(marked(1, 3)); }, [] { VXString s(std::string_view("view")); },
  };
  // clang-format on
  for (const auto& construct : constructions) {
    EXPECT_GE(vxtest::ForEachAllocationFailure(construct), 1);
    EXPECT_EQ(Access::Count(marked), Access::Unshareable());
  }
  EXPECT_EQ(vxtest::ForEachAllocationFailure([&] {
              VXString s(VXString("x"));
              VXString t(s);
            }),
            2)
      << "a shareable copy allocates nothing";
}

// Every mutating operation, from every kind of start: when an allocation
// fails, the string keeps its record, text, capacity and count, and the
// other holder keeps its text.
TEST(VXStringAllocation, FailedChangesLeaveEveryHolderAsItWas) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  const VXString src("0123456789");
  // clang-format off
  const std::function<void(VXString&)> operations[] = {
      [&](VXString& s) { s = src; }, [](VXString& s) { s = 'c'; }, [](VXString& s) { s = "longer text"; },
      [](VXString& s) { s[0] = s.isNull() ? '\0' : 'W'; }, [](VXString& s) { s(0) = s(0); },
      [](VXString& s) { s.replace(0, 2, "replacement"); }, [&](VXString& s) { s.replace(0, 1, src); },
      [&](VXString& s) { s.replace(0, 1, src, 9); }, [](VXString& s) { s.append("appended text"); },
      [](VXString& s) { s.append("appended", 8); }, [&](VXString& s) { s.append(src); },
      [&](VXString& s) { s.append(src, 4); }, [](VXString& s) { s.append(s); },
      [](VXString& s) { s += "more text"; }, [&](VXString& s) { s += src; },
      [](VXString& s) { s.prepend("prepended"); }, [](VXString& s) { s.prepend("prepended", 3); },
      [&](VXString& s) { s.prepend(src); }, [&](VXString& s) { s.prepend(src, 7); },
      [](VXString& s) { s.insert(0, "inserted"); }, [](VXString& s) { s.insert(0, "inserted", 4); },
      [&](VXString& s) { s.insert(0, src); }, [&](VXString& s) { s.insert(0, src, 6); },
      [](VXString& s) { s.remove(0); }, [](VXString& s) { s.remove(0, 1); },
      [](VXString& s) { s.append('x', 30); }, [](VXString& s) { s += 'x'; },
      [](VXString& s) { s.prepend('x', 30); }, [](VXString& s) { s.resize(30); },
      [](VXString& s) { s.resize(0); }, [](VXString& s) { s.toLower(); }, [](VXString& s) { s.toUpper(); },
  };
  // clang-format on
  // clang-format off
  const std::function<void(VXString&, VXString&)> starts[] = {
      [](VXString&, VXString&) {},                                  // without buffer
      [](VXString& s, VXString&) { s = "1234567"; },                // full
      [](VXString& s, VXString& other) { s = "shared"; other = s; },
      [](VXString& s, VXString&) { s = "1234567"; s[0] = 'm'; }};   // marked
  // clang-format on
  int failurePoints = 0;
  for (size_t start = 0; start < std::size(starts); ++start) {
    for (size_t i = 0; i < std::size(operations); ++i) {
      SCOPED_TRACE("start " + std::to_string(start) + ", operation " + std::to_string(i));
      VXString s;
      VXString other;
      starts[start](s, other);
      const std::string text = Text(s) + "|" + Text(other);
      const char* const data = s.data();
      const size_t capacity = s.capacity();
      const long count = Access::Count(s);
      failurePoints +=
          vxtest::ForEachAllocationFailure([&] { operations[i](s); },
                                           [&] {
                                             EXPECT_EQ(Text(s) + "|" + Text(other), text);
                                             EXPECT_EQ(s.data(), data);
                                             EXPECT_EQ(s.capacity(), capacity);
                                             EXPECT_EQ(Access::Count(s), count);
                                           });
    }
  }
  EXPECT_GT(failurePoints, 100) << "the failure paths were reached";
}

}  // namespace
