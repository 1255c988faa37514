#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "strings/StringTestSupport.h"
#include "support/AllocationFailure.h"

namespace {

using vx::VXString;
using vxtest::Access;
using vxtest::Text;

static_assert(sizeof(VXString) == sizeof(void*), "a string is a handle to its record");
static_assert(!std::is_convertible<size_t, VXString>::value, "VXString(size_t) is explicit");

TEST(VXString, ConstantsHaveTheirValues) {
  EXPECT_EQ(vx::NPOS, 18446744073709551615ull);
  EXPECT_EQ(Access::Unshareable(), -2147483647L - 1);
}

TEST(VXStringConstruction, EachFormGetsItsCapacity) {
  const VXString none;
  EXPECT_EQ(none.data(), VXString().data()) << "one shared empty text";
  EXPECT_EQ(none[0], '\0');
  struct Case {
    VXString s;
    size_t length, capacity;
  };
  // clang-format off
  const Case cases[] = {
      {VXString(), 0, 0}, {VXString(""), 0, 8}, {VXString(size_t{5}), 0, 8},
      {VXString(size_t{7}), 0, 8}, {VXString(size_t{8}), 0, 16}, {VXString('x', 0), 0, 8},
      {VXString('x', 15), 15, 16}, {VXString("a\0b", 3), 3, 8}, {VXString(nullptr, 0), 0, 8},
      {VXString(static_cast<const char*>(nullptr)), 0, 8},
      {VXString(std::string_view("0123456789abcdef")), 16, 24}};
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(c.s.length(), c.length) << Text(c.s);
    EXPECT_EQ(c.s.capacity(), c.capacity) << Text(c.s);
    EXPECT_EQ(c.s.isNull(), c.length == 0);
    vxtest::ExpectWellFormed(c.s);
  }
  EXPECT_EQ(Text(VXString('x', 3)), "xxx");
}

TEST(VXStringConstruction, GrowingByOneByteFollowsTheGrowthRule) {
  VXString s;
  std::vector<size_t> capacities;
  for (int i = 0; i < 400; ++i, s.append('x')) {
    if (capacities.empty() || capacities.back() != s.capacity()) capacities.push_back(s.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<size_t>{0, 8, 16, 24, 40, 64, 96, 144, 216, 328, 496}));
}

TEST(VXStringSharing, CopiesShareUntilOneChanges) {
  VXString s("hello");
  VXString t(s);
  EXPECT_EQ(s.data(), t.data());
  const VXString& alias = s;
  s = alias;
  t = s;  // already sharing
  EXPECT_EQ(Access::Count(s), 2) << "self-assignment changes not even the count";
  s = 'x';
  EXPECT_EQ(Text(t), "hello");
  EXPECT_EQ(Text(s), "x");
  EXPECT_EQ(Access::Count(t), 1);
  VXString twenty(std::string(20, 'a').c_str());
  const VXString other(twenty);
  twenty = "x";
  EXPECT_EQ(twenty.capacity(), 24u) << "text assigned to a shared string gets the room of both";
  EXPECT_EQ(Text(other), std::string(20, 'a'));
  twenty = static_cast<const char*>(nullptr);
  EXPECT_TRUE(twenty.isNull());
}

TEST(VXStringSharing, TheLastHolderFreesTheRecord) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "allocations not counted here";
  const long before = vxtest::LiveAllocations();
  auto* s = new VXString("hello");  // handle, record, buffer
  VXString t(*s);
  delete s;
  EXPECT_EQ(Text(t), "hello");
  EXPECT_EQ(vxtest::LiveAllocations(), before + 2);
  t[0] = 'H';
  t = VXString();  // a marked record is freed without counting
  EXPECT_EQ(vxtest::LiveAllocations(), before + 1);
}

TEST(VXStringUnshareable, WritableIndexDetachesAndMarksInPlaceWhenExclusive) {
  VXString s("abc");
  const VXString t(s);
  char& second = s[1];
  EXPECT_NE(s.data(), t.data());
  EXPECT_EQ(Access::Count(s), Access::Unshareable());
  const VXString copy(s);
  VXString assigned("zz");
  assigned = s;
  EXPECT_NE(copy.data(), s.data());
  EXPECT_NE(assigned.data(), s.data());
  EXPECT_EQ(Access::Count(assigned), 1);
  EXPECT_EQ(Access::Count(s), Access::Unshareable());
  second = 'X';
  s(2) = 'Y';
  EXPECT_EQ(Text(s) + Text(t) + Text(copy) + Text(assigned), "aXYabcabcabc");
  s = 'y';
  EXPECT_EQ(VXString(s).data(), s.data()) << "an edit lifts the mark";
  VXString none;
  EXPECT_NE(&none[0], Access::EmptyText()) << "never the shared empty text";
  EXPECT_EQ(none.capacity(), 8u);
  VXString full("abcdefgh");
  const char* text = full.data();
  full[0] = 'A';
  full[7] = 'H';
  EXPECT_EQ(full.data(), text) << "an exclusive record is marked in place";
}

}  // namespace
