#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "strings/StringTestSupport.h"

namespace {

using vx::NPOS;
using vx::VXString;
using vxtest::Access;
using vxtest::Text;

struct Edit {
  const char* call;
  std::function<void(VXString&)> apply;
  std::string after;
};
// clang-format off
#define EDIT(call, after) \
  { #call, [](VXString& s) { s.call; }, after }

const VXString kSource("XYZ");

// Every edit starts from "hello".
const Edit kEdits[] = {
    EDIT(remove(2), "he"), EDIT(remove(1, 2), "hlo"), EDIT(remove(1, NPOS), "h"),
    EDIT(remove(5), "hello"), EDIT(replace(1, 3, "XY"), "hXYo"),
    EDIT(replace(0, 1, "J\0!", 3), std::string("J\0!ello", 7)),
    EDIT(replace(4, 9, kSource), "hellXYZ"), EDIT(replace(0, 0, kSource, 99), "XYZhello"),
    EDIT(replace(0, 0, kSource, 1), "Xhello"), EDIT(insert(0, "ab"), "abhello"),
    EDIT(insert(2, "abc", 2), "heabllo"), EDIT(insert(5, kSource), "helloXYZ"),
    EDIT(insert(1, kSource, 2), "hXYello"), EDIT(prepend("ab"), "abhello"),
    EDIT(prepend("ab", 1), "ahello"), EDIT(prepend(kSource), "XYZhello"),
    EDIT(prepend(kSource, 2), "XYhello"), EDIT(append("de"), "hellode"),
    EDIT(append(nullptr, 5), "hello"), EDIT(append(kSource, 99), "helloXYZ"),
    EDIT(append(s), "hellohello"), EDIT(insert(1, s), "hhelloello"),
    EDIT(prepend(s.data() + 3, 2), "lohello"), EDIT(operator=("x"), "x"),
    EDIT(operator=('q'), "q"), EDIT(append('x', 3), "helloxxx"), EDIT(append('x'), "hellox"),
    EDIT(operator+=('y'), "helloy"), EDIT(prepend('-', 2), "--hello"),
    EDIT(resize(7), "hello  "), EDIT(resize(1), "h"), EDIT(toUpper(), "HELLO"),
    EDIT(operator=("aB1Z[").toLower(), "ab1z[")};
// clang-format on

// Each edit from three starts: the only holder, one of two holders, and a
// record marked by a writable index. The result is the same, the string ends
// as the only holder of a well-formed record, and the other holder keeps
// its text.
TEST(VXStringEdit, EveryFormGivesItsResultFromEveryStart) {
  for (const Edit& edit : kEdits) {
    for (const char* start : {"exclusive", "shared", "marked"}) {
      SCOPED_TRACE(std::string(edit.call) + " from " + start);
      VXString s("hello");
      const VXString other = *start == 's' ? s : VXString();
      if (*start == 'm') s[0] = 'h';
      edit.apply(s);
      EXPECT_EQ(Text(s), edit.after);
      EXPECT_EQ(Access::Count(s), 1);
      vxtest::ExpectWellFormed(s);
      EXPECT_EQ(Text(other), *start == 's' ? "hello" : "");
    }
  }
}

// The default locale folds the ASCII letters and nothing else, on every
// platform; a byte that does not fold compares as a signed char.
TEST(VXStringEdit, CaseFoldingChangesOnlyAsciiLetters) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  VXString upper(all.data(), all.size());
  VXString lower(upper);
  upper.toUpper();
  lower.toLower();
  for (int b = 1; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const bool small = c >= 'a' && c <= 'z';
    const bool capital = c >= 'A' && c <= 'Z';
    EXPECT_EQ(upper[b - 1], small ? static_cast<char>(c - 32) : c) << b;
    EXPECT_EQ(lower[b - 1], capital ? static_cast<char>(c + 32) : c) << b;
    const int folded = small ? c - 32 : static_cast<signed char>(c);
    EXPECT_EQ(VXString(&c, 1).compareTo("A", VXString::IgnoreCase), folded - 'A') << b;
  }
}

TEST(VXStringEdit, CapacitiesOfInPlaceSplicedAndFilledEdits) {
  VXString s("hello, world");  // capacity 16
  const char* text = s.data();
  s.replace(1, 3, "XY").remove(2, 1).insert(0, "12").append("!");
  s.resize(1);
  EXPECT_EQ(s.data(), text) << "in place: no new record";
  EXPECT_EQ(s.capacity(), 16u);
  VXString spliced(std::string(23, 'a').c_str());
  VXString filled(spliced.data());
  spliced.append("x");
  filled.append('x');
  EXPECT_EQ(spliced.capacity(), 32u) << "a new record sized to the result";
  EXPECT_EQ(filled.capacity(), 40u) << "growth by half in place";
  const VXString twenty(std::string(20, 'a').c_str());
  VXString copies[] = {twenty, twenty, twenty};
  copies[0].resize(1);
  copies[1].toUpper();
  copies[2].remove(0, 19);
  for (const VXString& copy : copies) EXPECT_EQ(copy.capacity(), 24u) << "a detached copy";
  VXString none;
  none.remove(0);
  EXPECT_EQ(none.capacity(), 8u);
  VXString abc("abc"), marked("abc");
  const VXString other(abc);
  marked[0] = 'a';
  abc.resize(3), marked.resize(3);  // the current length: nothing changes
  EXPECT_EQ(abc.data(), other.data());
  EXPECT_EQ(Access::Count(marked), Access::Unshareable());
}

// Caller errors: debug builds stop on them; release builds clamp the position
// to the text and the count to the source.
TEST(VXStringEdit, PositionsAndCountsBeyondTheirRange) {
  VXString s("abc");
  const VXString two("yz");
#ifdef NDEBUG
  s.insert(10, "x").prepend(two, 5).insert(1, two, 9).remove(40);
  EXPECT_EQ(Text(s), "yyzzabcx");
#else
  EXPECT_DEATH(s.insert(10, "x"), "position beyond the text");
  EXPECT_DEATH(s.insert(1, two, 9), "count beyond the source");
#endif
}

}  // namespace
