#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "strings/StringTestSupport.h"

namespace {

using vx::NPOS;
using vx::VXString;
using vxtest::Access;
using vxtest::ExpectWellFormed;
using vxtest::Text;

struct Edit {
  const char* name;
  std::string before;
  std::function<void(VXString&)> apply;
  std::string after;
};

const VXString kSource("XYZ");

const Edit kEdits[] = {
    {"remove(2)", "hello", [](VXString& s) { s.remove(2); }, "he"},
    {"remove(1, 2)", "hello", [](VXString& s) { s.remove(1, 2); }, "hlo"},
    {"remove(1, NPOS)", "hello", [](VXString& s) { s.remove(1, NPOS); }, "h"},
    {"remove(5)", "hello", [](VXString& s) { s.remove(5); }, "hello"},
    {"replace(1, 3, text)", "hello", [](VXString& s) { s.replace(1, 3, "XY"); }, "hXYo"},
    {"replace counted", "hello", [](VXString& s) { s.replace(0, 1, "J\0!", 3); },
     std::string("J\0!ello", 7)},
    {"replace(pos, n, str)", "hello", [](VXString& s) { s.replace(4, 9, kSource); }, "hellXYZ"},
    {"replace(pos, n, str, m) cut", "hello", [](VXString& s) { s.replace(0, 0, kSource, 99); },
     "XYZhello"},
    {"replace(pos, n, str, m)", "hello", [](VXString& s) { s.replace(0, 0, kSource, 1); }, "Xhello"},
    {"insert(0, text)", "hello", [](VXString& s) { s.insert(0, "ab"); }, "abhello"},
    {"insert(pos, text, n)", "hello", [](VXString& s) { s.insert(2, "abc", 2); }, "heabllo"},
    {"insert(pos, str)", "hello", [](VXString& s) { s.insert(5, kSource); }, "helloXYZ"},
    {"insert(pos, str, n)", "hello", [](VXString& s) { s.insert(1, kSource, 2); }, "hXYello"},
    {"prepend(text)", "hello", [](VXString& s) { s.prepend("ab"); }, "abhello"},
    {"prepend(text, n)", "hello", [](VXString& s) { s.prepend("ab", 1); }, "ahello"},
    {"prepend(str)", "hello", [](VXString& s) { s.prepend(kSource); }, "XYZhello"},
    {"prepend(str, n)", "hello", [](VXString& s) { s.prepend(kSource, 2); }, "XYhello"},
    {"append(text)", "abc", [](VXString& s) { s.append("de"); }, "abcde"},
    {"operator+=(text)", "abc", [](VXString& s) { s += "de"; }, "abcde"},
    {"append(text, n)", "abc", [](VXString& s) { s.append("d\0e", 3); }, std::string("abcd\0e", 6)},
    {"append(null, 5)", "abc", [](VXString& s) { s.append(nullptr, 5); }, "abc"},
    {"append(null)", "abc", [](VXString& s) { s.append(static_cast<const char*>(nullptr)); }, "abc"},
    {"append(str, n) cut", "abc", [](VXString& s) { s.append(kSource, 99); }, "abcXYZ"},
    {"operator+=(str)", "abc", [](VXString& s) { s += kSource; }, "abcXYZ"},
    {"append itself", "abc", [](VXString& s) { s.append(s); }, "abcabc"},
    {"insert itself", "abc", [](VXString& s) { s.insert(1, s); }, "aabcbc"},
    {"prepend own bytes", "abc", [](VXString& s) { s.prepend(s.data() + 1, 2); }, "bcabc"},
    {"operator=(text)", "hello", [](VXString& s) { s = "x"; }, "x"},
    {"operator=(char)", "hello", [](VXString& s) { s = 'q'; }, "q"},
    {"append(c, 3)", "ab", [](VXString& s) { s.append('x', 3); }, "abxxx"},
    {"operator+=(c)", "ab", [](VXString& s) { s += 'x'; }, "abx"},
    {"prepend(c, 2)", "ab", [](VXString& s) { s.prepend('-', 2); }, "--ab"},
    {"prepend(c, 0)", "ab", [](VXString& s) { s.prepend('-', 0); }, "ab"},
    {"resize(5)", "ab", [](VXString& s) { s.resize(5); }, "ab   "},
    {"resize(1)", "abc", [](VXString& s) { s.resize(1); }, "a"},
    {"toUpper", "aB1z", [](VXString& s) { s.toUpper(); }, "AB1Z"},
    {"toLower", "aB1Z[", [](VXString& s) { s.toLower(); }, "ab1z["},
    {"toUpper high bytes", "\x80\xe9\xff", [](VXString& s) { s.toUpper(); }, "\x80\xe9\xff"},
    {"toLower high bytes", "\x80\xc9\xff", [](VXString& s) { s.toLower(); }, "\x80\xc9\xff"},
};

// Each edit from three starts: the only holder, one of two holders, and a
// record marked by a writable index. The result is the same, the string ends
// as the only holder of a well-formed record, and the other holder keeps
// its text.
TEST(VXStringEdit, EveryFormGivesItsResultFromEveryStart) {
  for (const Edit& edit : kEdits) {
    for (const char* start : {"exclusive", "shared", "marked"}) {
      SCOPED_TRACE(std::string(edit.name) + " from " + start);
      VXString s(edit.before.data(), edit.before.size());
      VXString other;
      if (std::string(start) == "shared") other = s;
      if (std::string(start) == "marked") s[0] = edit.before[0];
      edit.apply(s);
      EXPECT_EQ(Text(s), edit.after);
      EXPECT_EQ(Access::Count(s), 1);
      ExpectWellFormed(s);
      if (std::string(start) == "shared") {
        EXPECT_EQ(Text(other), edit.before);
      }
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

TEST(VXStringEdit, InPlaceEditsKeepBufferAndCapacity) {
  VXString s("hello, world");  // capacity 16
  const char* text = s.data();
  s.replace(1, 3, "XY").remove(2, 1).insert(0, "12").append("!");
  EXPECT_EQ(Text(s), "12hXo, world!");
  s.resize(1);
  EXPECT_EQ(s.data(), text);
  EXPECT_EQ(s.capacity(), 16u);
}

TEST(VXStringEdit, SplicingAndFillingGrowDifferently) {
  VXString spliced(std::string(23, 'a').c_str());
  VXString filled(spliced.data());
  ASSERT_EQ(spliced.capacity(), 24u);
  spliced.append("x");
  filled.append('x');
  EXPECT_EQ(spliced.capacity(), 32u) << "new record sized to the result";
  EXPECT_EQ(filled.capacity(), 40u) << "growth by half in place";
}

TEST(VXStringEdit, DetachedCopiesGetOnlyTheRoomTheyNeed) {
  const VXString original(std::string(20, 'a').c_str());
  VXString shrunk(original);
  shrunk.resize(1);
  EXPECT_EQ(shrunk.capacity(), 24u);
  VXString folded(original);
  folded.toUpper();
  EXPECT_EQ(folded.capacity(), 24u);
  VXString spliced(original);
  spliced.remove(0, 19);
  EXPECT_EQ(spliced.capacity(), 24u);
  EXPECT_EQ(Text(original), std::string(20, 'a'));
}

TEST(VXStringEdit, SplicingGivesAStringWithoutBufferItsOwn) {
  VXString s;
  s.remove(0);
  EXPECT_EQ(s.capacity(), 8u);
  EXPECT_TRUE(s.isNull());
  ExpectWellFormed(s);
  VXString folded;
  folded.toLower();
  EXPECT_EQ(folded.capacity(), 8u);
}

TEST(VXStringEdit, ResizeToTheCurrentLengthChangesNothing) {
  VXString s("abc");
  const VXString other(s);
  s.resize(3);
  EXPECT_EQ(s.data(), other.data());
  EXPECT_EQ(Access::Count(s), 2);
  VXString marked("abc");
  marked[0] = 'a';
  marked.resize(3);
  EXPECT_EQ(Access::Count(marked), Access::Unshareable());
}

TEST(VXStringEdit, EditingAMarkedStringLetsCopiesShareAgain) {
  VXString s("abc");
  s[0] = 'A';
  s.append("d");
  const VXString copy(s);
  EXPECT_EQ(copy.data(), s.data());
}

// Caller errors: debug builds stop on them; release builds clamp the position
// to the text and the count to the source.
TEST(VXStringEdit, PositionsAndCountsBeyondTheirRange) {
  VXString s("abc");
  const VXString two("yz");
#ifdef NDEBUG
  s.insert(10, "x");
  EXPECT_EQ(Text(s), "abcx");
  s.prepend(two, 5);
  s.insert(1, two, 9);
  EXPECT_EQ(Text(s), "yyzzabcx");
  s.remove(40);
  EXPECT_EQ(Text(s), "yyzzabcx");
#else
  EXPECT_DEATH(s.insert(10, "x"), "position beyond the text");
  EXPECT_DEATH(s.prepend(two, 5), "count beyond the source");
  EXPECT_DEATH(s.insert(1, two, 9), "count beyond the source");
#endif
}

}  // namespace
