// String operations under allocation failure that the string tests leave
// out: the splicing workhorse itself, assignment from a string marked
// unshareable (which copies bytes instead of sharing), and edits whose
// source lies inside the string's own text (which must build a new record
// even when the old one has room). From every kind of start, a failure
// leaves the string's record, text, capacity and count, and the other
// holder's text, as they were.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "faults/FaultTally.h"
#include "strings/StringTestSupport.h"
#include "support/AllocationFailure.h"
#include "vexlo/strings/VXString.h"

namespace {

using vx::VXString;
using vxtest::Access;
using vxtest::Text;

TEST(StringFaults, WorkhorseMarkedSourcesAndSelfEditsFailCleanly) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  VXString marked("marked source");
  marked[0] = 'M';
  const std::function<void(VXString&)> operations[] = {
      [](VXString& s) { s.replace(0, 1, "workhorse", 9); },
      [](VXString& s) { s.replace(0, vx::NPOS, "abcdefghijklmnopq", 17); },
      [](VXString& s) { s.replace(0, 0, nullptr, 5); },  // inserts nothing, still detaches
      [&](VXString& s) { s = marked; },
      [&](VXString& s) { s.append(marked); },
      [](VXString& s) { s.insert(s.length() / 2, s); },
      [](VXString& s) { s.replace(0, 1, s.data() + s.length() / 2, s.length() / 2); },
      [](VXString& s) { s.append(s.data(), s.length()); },
      [](VXString& s) { s.prepend(s); },
  };
  const std::function<void(VXString&, VXString&)> starts[] = {
      [](VXString&, VXString&) {},  // without buffer
      [](VXString& s, VXString&) {
        s = VXString(size_t{40});
        s = "roomy";
      },                                              // room to spare
      [](VXString& s, VXString&) { s = "1234567"; },  // full
      [](VXString& s, VXString& other) {
        s = "shared";
        other = s;
      },
      [](VXString& s, VXString&) {
        s = "unshareable";
        s[0] = 'U';
      },  // marked
  };
  int points = 0;
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
      points += vxtest::ForEachAllocationFailure([&] { operations[i](s); },
                                                 [&] {
                                                   EXPECT_EQ(Text(s) + "|" + Text(other), text);
                                                   EXPECT_EQ(s.data(), data);
                                                   EXPECT_EQ(s.capacity(), capacity);
                                                   EXPECT_EQ(Access::Count(s), count);
                                                   EXPECT_EQ(Access::Count(marked),
                                                             Access::Unshareable());
                                                 });
      vxtest::ExpectWellFormed(s);
    }
  }
  EXPECT_GE(points, 40);
  vxtest::TallyPoints(points);
}

}  // namespace
