#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "support/AllocationFailure.h"
#include "strings/StringTestSupport.h"

namespace {

using vx::VXString;
using vxtest::Access;
using vxtest::ExpectWellFormed;
using vxtest::Text;

static_assert(sizeof(VXString) == sizeof(void*), "a string is a handle");
static_assert(!std::is_convertible<size_t, VXString>::value, "VXString(size_t) is explicit");
static_assert(std::is_convertible<const char*, VXString>::value, "texts convert");

TEST(VXString, ConstantsHaveTheirValues) {
  EXPECT_EQ(vx::NPOS, 18446744073709551615ull);
  EXPECT_EQ(Access::Unshareable(), -2147483647L - 1);
}

TEST(VXStringConstruction, EachFormGetsTheDocumentedRecord) {
  const VXString none;
  EXPECT_EQ(none.length(), 0u);
  EXPECT_EQ(none.capacity(), 0u);
  EXPECT_TRUE(none.isNull());
  EXPECT_EQ(none.data(), Access::EmptyText());
  EXPECT_EQ(none[0], '\0');
  EXPECT_EQ(VXString().data(), none.data()) << "one shared empty text";

  const VXString empty("");
  EXPECT_EQ(empty.capacity(), 8u);
  EXPECT_TRUE(empty.isNull());
  EXPECT_NE(empty.data(), Access::EmptyText());

  struct Case {
    VXString s;
    size_t length, capacity;
  };
  const Case cases[] = {
      {VXString(size_t{5}), 0, 8},      {VXString(size_t{7}), 0, 8},
      {VXString(size_t{8}), 0, 16},     {VXString('x', 0), 0, 8},
      {VXString('x', 15), 15, 16},      {VXString("abc"), 3, 8},
      {VXString("a\0b", 3), 3, 8},      {VXString(static_cast<const char*>(nullptr)), 0, 8},
      {VXString(nullptr, 0), 0, 8},     {VXString("0123456789abcdef"), 16, 24},
      {VXString(std::string_view("a\0b", 3)), 3, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.s.length(), c.length) << Text(c.s);
    EXPECT_EQ(c.s.capacity(), c.capacity) << Text(c.s);
    EXPECT_EQ(Access::Count(c.s), 1);
    ExpectWellFormed(c.s);
  }
  EXPECT_EQ(Text(VXString('x', 3)), "xxx");
  EXPECT_EQ(Text(VXString("a\0b", 3)), std::string("a\0b", 3));
}

TEST(VXStringConstruction, GrowingByOneByteFollowsTheGrowthRule) {
  VXString s;
  std::vector<size_t> capacities;
  for (int i = 0; i < 400; ++i) {
    s.append('x');
    if (capacities.empty() || capacities.back() != s.capacity()) capacities.push_back(s.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<size_t>{8, 16, 24, 40, 64, 96, 144, 216, 328, 496}));
  ExpectWellFormed(s);
}

TEST(VXStringSharing, CopiesShareUntilOneChanges) {
  VXString s("hello");
  VXString t(s);
  EXPECT_EQ(s.data(), t.data());
  EXPECT_EQ(Access::Count(s), 2);
  s = 'x';
  EXPECT_EQ(Text(t), "hello");
  EXPECT_EQ(Text(s), "x");
  EXPECT_NE(s.data(), t.data());
  EXPECT_EQ(Access::Count(s), 1);
  EXPECT_EQ(Access::Count(t), 1);
  ExpectWellFormed(s);
}

TEST(VXStringSharing, AssignmentSharesAndSelfAssignmentChangesNothing) {
  VXString a("one");
  VXString b("two");
  b = a;
  EXPECT_EQ(b.data(), a.data());
  EXPECT_EQ(Access::Count(a), 2);
  b = a;  // already sharing
  const VXString& alias = a;
  a = alias;
  EXPECT_EQ(Access::Count(a), 2);
  const VXString c;
  b = c;
  EXPECT_EQ(Access::Count(a), 1);
  EXPECT_EQ(b.data(), Access::EmptyText());
}

TEST(VXStringSharing, RecordsAreFreedWithTheirLastHolder) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "allocations not counted here";
  const long before = vxtest::LiveAllocations();
  {
    auto* s = new VXString("hello");  // handle, record, buffer
    {
      const VXString t(*s);
      EXPECT_EQ(vxtest::LiveAllocations(), before + 3);
      delete s;
      EXPECT_EQ(Text(t), "hello");
      EXPECT_EQ(Access::Count(t), 1);
      EXPECT_EQ(vxtest::LiveAllocations(), before + 2);
    }
    EXPECT_EQ(vxtest::LiveAllocations(), before);
  }
  VXString marked("abc");
  marked[0] = 'A';
  marked = VXString("def");  // the marked record is freed without counting
  EXPECT_EQ(vxtest::LiveAllocations(), before + 2);
}

TEST(VXStringUnshareable, WritableIndexDetachesAndMarks) {
  VXString s("abc");
  const VXString t(s);
  char& second = s[1];
  EXPECT_NE(s.data(), t.data());
  EXPECT_EQ(Access::Count(s), Access::Unshareable());
  EXPECT_EQ(Access::Count(t), 1);

  const VXString copy(s);  // copies the bytes, keeps the mark on s
  VXString assigned("zz");
  assigned = s;
  for (const VXString* other : {&copy, static_cast<const VXString*>(&assigned)}) {
    EXPECT_NE(other->data(), s.data());
    EXPECT_EQ(Access::Count(*other), 1);
    EXPECT_EQ(other->capacity(), 8u);
  }
  EXPECT_EQ(Access::Count(s), Access::Unshareable());

  second = 'X';
  EXPECT_EQ(Text(s), "aXc");
  EXPECT_EQ(Text(t), "abc");
  EXPECT_EQ(Text(copy), "abc");
  EXPECT_EQ(Text(assigned), "abc");

  s(2) = 'Y';  // operator() is the same operation
  EXPECT_EQ(Text(s), "aXY");
  s = 'y';
  EXPECT_EQ(Access::Count(s), 1);
  const VXString shares(s);
  EXPECT_EQ(shares.data(), s.data());
  ExpectWellFormed(s);
}

TEST(VXStringUnshareable, IndexOnStringWithoutBufferGetsItsOwnText) {
  VXString s;
  char& c = s[0];
  EXPECT_NE(&c, Access::EmptyText());
  EXPECT_EQ(c, '\0');
  EXPECT_EQ(s.capacity(), 8u);
  EXPECT_EQ(*Access::EmptyText(), '\0');
  EXPECT_EQ(VXString().data(), Access::EmptyText());
}

TEST(VXStringUnshareable, MarkedIndexKeepsTheRecordOnLaterIndexes) {
  VXString s("abcdefgh");  // capacity 16
  const char* text = s.data();
  s[0] = 'A';
  s[7] = 'H';
  EXPECT_EQ(s.data(), text) << "an exclusive record is marked in place";
  EXPECT_EQ(Text(s), "AbcdefgH");
}

TEST(VXStringAssignment, CharAndTextAssignmentsDetach) {
  VXString s(std::string(20, 'a').c_str());
  const VXString other(s);
  s = "x";
  EXPECT_EQ(s.capacity(), 24u) << "max(old, new length) + 1, rounded up";
  EXPECT_EQ(Text(other), std::string(20, 'a'));
  VXString t(other);
  t = 'q';
  EXPECT_EQ(t.capacity(), 24u) << "a copy with room for its 20 bytes";
  EXPECT_EQ(Text(t), "q");
  s = static_cast<const char*>(nullptr);
  EXPECT_TRUE(s.isNull());
  ExpectWellFormed(s);
}

}  // namespace
