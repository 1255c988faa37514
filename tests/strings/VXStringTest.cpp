// VXString and VXSubString: the record (capacity, terminator, sharing, the
// unshareable mark), every change of the text from every kind of start and
// with each of its allocations failing in turn, the documented corners of
// search, comparison and views, and the choices for caller errors.
#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/AllocationFailure.h"
#include "support/Platform.h"

struct vx::detail::VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
};

namespace {

using vx::NPOS;
using vx::VXString;
using Access = vx::detail::VXStringTestAccess;
const long kMark = -2147483647L - 1;  // the count of a record marked unshareable

std::string Text(const VXString& s) { return std::string(s.data(), s.length()); }

// A mode where a search's start belongs does not compile.
template <class Pattern, class = void>
struct SearchTakesModeAsStart : std::false_type {};
template <class Pattern>
struct SearchTakesModeAsStart<
    Pattern, std::void_t<decltype(VXString().index(std::declval<Pattern>(), VXString::IgnoreCase))>>
    : std::true_type {};
static_assert(!SearchTakesModeAsStart<const char*>::value, "index(text, mode) is refused");
static_assert(!SearchTakesModeAsStart<VXString>::value, "index(string, mode) is refused");
static_assert(std::is_same_v<decltype(VXString().index("a", 0, VXString::IgnoreCase)), size_t>,
              "index(pat, start, mode) is the search");

// Without buffer: length 0 and the shared empty text. With one: a multiple of
// 8 above the length. Either way a NUL behind the text. Answers the rule that
// `s` breaks, or "" when it keeps them all.
std::string Malformed(const VXString& s) {
  if ((s.capacity() == 0) != (s.data() == VXString().data())) return "buffer and capacity disagree";
  if (s.capacity() % 8 != 0) return "capacity not a multiple of 8";
  if (s.capacity() == 0 ? s.length() != 0 : s.length() >= s.capacity()) return "no room for NUL";
  if (s.data()[s.length()] != 0) return "no NUL behind the text";
  return "";
}

// A fresh record gets room for the text and its NUL, rounded up to 8, and so
// does a detached copy or a splicing edit that does not fit (for the longer of
// the old and new text); growth in place takes at least half as much again.
// Copies share the record, unless a writable index has marked it: then they
// copy the bytes, so that writes through the reference reach one string only.
TEST(VXString, CapacitySharingAndTheUnshareableMark) {
  EXPECT_EQ(NPOS, 18446744073709551615ull);
  const auto expect = [](const VXString& s, const std::string& text, size_t capacity) {
    EXPECT_EQ(Text(s), text);
    EXPECT_EQ(s.capacity(), capacity) << "capacity of \"" << text << '"';
    EXPECT_EQ(Malformed(s), "") << "record of \"" << text << '"';
  };
  // clang-format off
  expect(VXString(), "", 0); expect(VXString(""), "", 8); expect(VXString(size_t{7}), "", 8);
  expect(VXString(size_t{8}), "", 16); expect(VXString('x', 15), std::string(15, 'x'), 16);
  expect(VXString("a\0b", 3), std::string("a\0b", 3), 8); expect(VXString(nullptr, 0), "", 8);
  expect(VXString(static_cast<const char*>(nullptr)), "", 8);  // taken as ""
  expect(VXString('x', 23).append("x"), std::string(24, 'x'), 32);
  expect(VXString('x', 23).append('x'), std::string(24, 'x'), 40);
  // clang-format on
  VXString roomy(size_t{40});
  const char* const text = roomy.data();
  roomy.append('a', 20);
  roomy.replace(1, 3, "XY");
  roomy.remove(2, 1);
  roomy.insert(0, "12");
  roomy.append("!");
  roomy.resize(20);
  EXPECT_EQ(roomy.data(), text) << "edited in place";
  EXPECT_EQ(roomy.capacity(), 48u) << "edited in place";
  EXPECT_EQ(VXString(roomy).data(), text) << "a copy shares the record";
  expect(VXString(roomy).append('b'), Text(roomy) + "b", 24);
  expect(VXString(roomy) = "x", "x", 24);
  const std::string before = Text(roomy);
  char& first = roomy[0];
  const VXString copy(roomy);
  first = '#';
  expect(copy, before, 24);
  EXPECT_EQ(roomy.data(), text) << "the only holder marks in place";
  EXPECT_EQ(roomy[0], '#') << "a write through the reference";
}

// The starts of a change: no buffer; "abcdefg" with room to spare, in a full
// buffer, shared with `other`, or with room and marked by a writable index;
// moved from (which must end as the start without buffer does).
constexpr int kMovedFrom = 5;
void Start(int state, VXString& s, VXString& other) {
  if (state == kMovedFrom) {
    s = "abcdefg";
    other = std::move(s);
    return;
  }
  if (state == 1 || state == 4) s = VXString(size_t{40});
  if (state != 0) s = "abcdefg";
  if (state == 3) other = s;
  if (state == 4) s[0] = 'a';
}

struct Change {
  const char* call;
  std::function<void(VXString&)> apply;
  std::string after;  // from "abcdefg"
  long count = 1;     // the string's count afterwards; 0: as before
};

// Each change from each start: its text, and a well-formed record that no
// other holder sees changed. With an allocation failing, the string keeps its
// record, text, capacity and count, every other holder stays as it was, and
// nothing leaks; afterwards every record has been freed by its last holder.
TEST(VXStringEdit, EachChangeFromEachStartGivesItsTextOrChangesNothing) {
  const VXString src("XYZ");
  VXString marked("marked");
  marked[0] = 'm';
  // `h` is the middle of the text: 3 of "abcdefg", 0 without buffer.
  // clang-format off
#define EDIT(call, after) \
  {#call, [&](VXString& s) { [[maybe_unused]] const size_t h = s.length() / 2; s.call; }, after}
#define KEEP(statement, after, count) \
  {#statement, [&]([[maybe_unused]] VXString& s) { statement; }, after, count}
  const Change changes[] = {
      EDIT(remove(h), "abc"), EDIT(remove(h, 2), "abcfg"), EDIT(remove(h, NPOS), "abc"),
      EDIT(replace(h, 3, "XY"), "abcXYg"), EDIT(replace(h, 2, "XY"), "abcXYfg"),
      EDIT(replace(h, 2, s), "abcabcdefgfg"),
      EDIT(replace(0, 1, "J\0!", 3), std::string("J\0!bcdefg", 9)), EDIT(append("XY"), "abcdefgXY"),
      EDIT(replace(0, 0, src, 99), "XYZabcdefg"), EDIT(insert(0, "ab"), "ababcdefg"),
      EDIT(insert(h, "XYZ", 2), "abcXYdefg"), EDIT(insert(h, s), "abcabcdefgdefg"),
      EDIT(insert(0, src, 2), "XYabcdefg"), EDIT(prepend("XY"), "XYabcdefg"), EDIT(resize(1), "a"),
      EDIT(prepend(s.data() + h, h * 2 / 3), "deabcdefg"), EDIT(prepend(src), "XYZabcdefg"),
      EDIT(prepend(src, 2), "XYabcdefg"), EDIT(append(nullptr, 5), "abcdefg"),
      EDIT(append(s), "abcdefgabcdefg"), EDIT(append(src, 99), "abcdefgXYZ"),
      EDIT(operator=(marked), "marked"), EDIT(operator=("x"), "x"), EDIT(operator=('q'), "q"),
      EDIT(operator=(static_cast<const char*>(nullptr)), ""), EDIT(append('x', 3), "abcdefgxxx"),
      EDIT(operator+=('y'), "abcdefgy"), EDIT(prepend('-', 2), "--abcdefg"),
      EDIT(resize(9), "abcdefg  "), EDIT(toUpper(), "ABCDEFG"), EDIT(toLower(), "abcdefg"),
      EDIT(operator=("aZ@[`{\x80\xe1\xff").toUpper(), "AZ@[`{\x80\xe1\xff"),
      EDIT(operator=("Az@[`{\x80\xc1\xff").toLower(), "az@[`{\x80\xc1\xff"),
      KEEP(VXString t, "abcdefg", 0), KEEP(VXString t(s.data()), "abcdefg", 0),
      KEEP(VXString t(s.data(), s.length()), "abcdefg", 0), KEEP(VXString t(s), "abcdefg", 0),
      KEEP(VXString t(s.length()), "abcdefg", 0), KEEP(VXString t('x', s.length()), "abcdefg", 0),
      KEEP(VXString t(s(0, s.length())), "abcdefg", 0), KEEP(VXString t(s.view()), "abcdefg", 0),
      KEEP(s.resize(s.length()), "abcdefg", 0), KEEP(s = src, "XYZ", 2),
      KEEP(s = static_cast<const VXString&>(s), "abcdefg", 0),
      KEEP(s[0] = s.isNull() ? '\0' : 'W', "Wbcdefg", kMark),
      KEEP(s(0) = s.isNull() ? '\0' : 'V', "Vbcdefg", kMark)};
  // clang-format on
  for (const Change& change : changes) {
    std::tuple<std::string, size_t, long> fromDefault;
    for (int state = 0; state <= kMovedFrom; ++state) {
      SCOPED_TRACE(std::string(change.call) + " from start " + std::to_string(state));
      const long live = vxtest::LiveAllocations();
      {
        VXString s, other;
        Start(state, s, other);
        const auto holders = [&] {
          return std::make_tuple(Text(s), Text(other), static_cast<const void*>(s.data()),
                                 s.capacity(), Access::Count(s), Access::Count(marked));
        };
        const auto before = holders();
        vxtest::ForEachAllocationFailure([&] { change.apply(s); },
                                         [&] { EXPECT_EQ(holders(), before); });
        // The moved-from record's own count is not the default record's.
        const auto outcome =
            std::make_tuple(Text(s), s.capacity(), s.capacity() != 0 ? Access::Count(s) : 1);
        if (state == 0) fromDefault = outcome;
        if (state == kMovedFrom) {
          EXPECT_EQ(outcome, fromDefault) << "moved-from and default strings differ";
          EXPECT_EQ(Text(other), "abcdefg") << "the string moved to";
          continue;
        }
        if (state != 0) {
          EXPECT_EQ(Text(s), change.after);
        }
        EXPECT_EQ(Access::Count(s), change.count != 0 ? change.count : std::get<4>(before));
        EXPECT_EQ(Malformed(s), "");
        EXPECT_TRUE(change.count == 0 || s.capacity() != 0) << "a changed text has a buffer";
        EXPECT_EQ(Text(other), state == 3 ? "abcdefg" : "") << "the other holder";
      }
      EXPECT_EQ(vxtest::LiveAllocations(), live) << "the last holder frees the record";
    }
  }
}

// A move hands the record over as it stands: the count (a share, the mark)
// untouched, the pointer kept, nothing allocated, even with every allocation
// failing; the source then answers every query as a default string does, and
// a copy of it shares nothing that anyone could change. Vectors move their
// strings when they grow: a marked string keeps its bytes, which a copy would
// not.
TEST(VXString, MovesAndSwapsHandTheRecordOver) {
  VXString shared("shared"), marked("marked"), target("x");
  const VXString dflt;
  const VXString other(shared);
  marked[0] = 'M';
  const char* const sharedText = shared.data();
  const char* const markedText = marked.data();
  const long live = vxtest::LiveAllocations();
  {
    vxtest::ScopedAllocationFailure fail(1);
    VXString taken(std::move(shared)), mark(std::move(marked));
    EXPECT_EQ(taken.data(), sharedText);
    EXPECT_EQ(Access::Count(taken), 2) << "the share moved, not counted again";
    EXPECT_EQ(Access::Count(mark), kMark) << "the mark moved with the record";
    EXPECT_EQ(mark.data(), markedText);
    const VXString copyOfMoved(shared);
    const auto reads = [&dflt](const VXString& s) {
      return std::make_tuple(s.length(), s.capacity(), s.data(), s.first('a'), s.index("", 0),
                             s.compareTo(""), s.compareTo("a", VXString::IgnoreCase), s.hash(),
                             s.strip(VXString::Both, ' ').start(), s == dflt, s.isNull());
    };
    EXPECT_EQ(reads(shared), reads(dflt));
    EXPECT_EQ(reads(copyOfMoved), reads(dflt));
    target = std::move(taken);
    EXPECT_EQ(target.data(), sharedText);
    EXPECT_EQ(reads(taken), reads(dflt)) << "moved from by assignment";
    VXString& alias = target;
    target = std::move(alias);
    target.swap(target);
    swap(target, mark);  // found by argument-dependent lookup
    EXPECT_EQ(Text(target), "Marked");
    EXPECT_EQ(Text(mark), "shared");
    EXPECT_EQ(Access::Count(target), kMark);
    EXPECT_EQ(Access::Count(mark), 2);
    EXPECT_FALSE(vxtest::AllocationFailureFired()) << "a move or swap allocated";
    marked = std::move(target);
    shared = std::move(mark);
  }
  if (vxtest::AllocationFailureInjectable()) {
    EXPECT_EQ(vxtest::LiveAllocations(), live - 2) << "only the record and buffer of \"x\" freed";
  }
  EXPECT_EQ(Text(other), "shared");
  EXPECT_EQ(shared.data(), other.data());
  std::vector<VXString> grown(1, VXString("first"));
  grown[0][0] = 'F';
  const char* const first = grown[0].data();
  for (int i = 0; i < 100; ++i) grown.emplace_back("more");
  EXPECT_EQ(grown[0].data(), first) << "the vector copied on growth";
  EXPECT_EQ(Access::Count(grown[0]), kMark);
}

// Caller errors: debug builds assert; release builds clamp the position to
// the text and the count to the source.
TEST(VXStringEdit, PositionsAndCountsBeyondTheirRange) {
  if (vxtest::RunningUnderWine()) GTEST_SKIP() << "death tests are unreliable under Wine";
  VXString s("abc");
  EXPECT_DEBUG_DEATH(s.insert(10, "x"), "position beyond the text");
  EXPECT_DEBUG_DEATH(s.insert(1, VXString("yz"), 9), "count beyond the source");
#ifdef NDEBUG
  EXPECT_EQ(Text(s), "ayzbcx");
#endif
}

// A length beyond PTRDIFF_MAX is refused as an allocation failure, before any
// byte is read or written: the string and its sharer keep text and record.
TEST(VXStringEdit, LengthsBeyondPtrdiffMaxFailAsAllocations) {
  const size_t huge = static_cast<size_t>(PTRDIFF_MAX);
  VXString s("abc");
  const VXString sharer(s);
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"append('x', PTRDIFF_MAX)", [&] { s.append('x', huge); }},
      {"prepend('x', SIZE_MAX)", [&] { s.prepend('x', SIZE_MAX); }},
      {"append(text, PTRDIFF_MAX)", [&] { s.append("x", huge); }},
      {"resize(SIZE_MAX)", [&] { s.resize(SIZE_MAX); }},
  };
  for (const auto& [name, change] : changes) {
    EXPECT_THROW(change(), std::bad_alloc) << name;
    EXPECT_EQ(Text(s), "abc") << name;
    EXPECT_EQ(s.data(), sharer.data()) << name;
  }
}

// The documented corners and choices of search, comparison and the byte hash
// (on 'hello' and the bytes 61 00 62; the values of case-blind comparison and
// search are held against a byte loop in VXStringScanTest), and of views: a view reads its
// string as it is now and compares bytes only; a string made from it owns a
// copy.
TEST(VXStringRead, SearchComparisonHashAndViews) {
  VXString hello("hello");
  const VXString nul("a\0b", 3), big((std::string(290, 'a') + "aB_").c_str()), xs("xxxx");
  const auto kIgnore = VXString::IgnoreCase;
  // clang-format off
  EXPECT_EQ(hello.index('o', 99), NPOS); EXPECT_EQ(hello.first(nullptr), NPOS);
  EXPECT_EQ(hello.first("ol"), 2u); EXPECT_EQ(nul.first("x\0", 2), 1u);
  EXPECT_EQ(hello.index("", 5), NPOS); EXPECT_EQ(hello.index("", NPOS), NPOS);
  EXPECT_EQ(hello.index("", 2), 2u); EXPECT_EQ(VXString().first("ab"), NPOS);
  EXPECT_EQ(hello.first("l"), 2u); EXPECT_TRUE(hello.contains("ELL", kIgnore));
  EXPECT_FALSE(hello.contains("ELL")); EXPECT_FALSE(hello.contains("lx", kIgnore));
  EXPECT_EQ(hello.index(VXString("lox"), 2, 0), 3u); EXPECT_EQ(nul.index("\0b", 2, 0), 1u);
  EXPECT_EQ(VXString().compareTo(nullptr), 0); EXPECT_EQ(hello.compareTo("hell"), 1);
  EXPECT_EQ(VXString("\xff").hash(), 0x9E3779B8u); EXPECT_EQ(hello.hash(), 0xA3B7D4331BDE1Au);
  EXPECT_EQ(xs.strip(VXString::Leading, 'x').start(), 4u);
  EXPECT_EQ(xs.strip(VXString::Trailing, 'x').start(), 0u);
  // clang-format on
  EXPECT_TRUE(VXString("") == nullptr) << "null is taken as \"\"";
  EXPECT_TRUE(nul == VXString("a\0b", 3));
  EXPECT_FALSE(nul == nul.data()) << "the text ends at its NUL";
  EXPECT_TRUE(VXString("  ab  ").strip(VXString::Both, ' ') == "ab");
  EXPECT_TRUE(VXString("\0a\0", 3).strip(VXString::Both, '\0') == "a");
  const vx::VXSubString ell = hello(1, 3), null = hello(NPOS, 0);
  EXPECT_EQ(*null.data(), 0);
  EXPECT_TRUE(null == VXString()) << "the null sub-string against an empty string";
  EXPECT_TRUE("" == null) << "the null sub-string against \"\"";
  EXPECT_TRUE(static_cast<const char*>(nullptr) == null) << "null is taken as \"\"";
  EXPECT_TRUE(null == hello(3, 0)) << "the null sub-string against an empty view";
  const VXString fromNull(null), five(hello(0, 5));
  EXPECT_TRUE(fromNull.isNull());
  EXPECT_EQ(fromNull.capacity(), 8u) << "a string from the null sub-string";
  EXPECT_EQ(five.capacity(), 8u) << "a string from a 5-byte view";
  VXString reset("x"), moved("m"), taker(std::move(moved));
  reset = VXString();
  EXPECT_TRUE(reset.isNull() && reset.capacity() == 0) << "assigned a default string";
  reset = "x";
  reset = moved;
  EXPECT_TRUE(reset.isNull() && reset.capacity() == 0) << "assigned a moved-from string";
  hello = "HELLO";
  EXPECT_TRUE(ell == "ELL") << "the view reads the new bytes";
  EXPECT_TRUE(five == "hello") << "the string made from the view keeps its own";
  EXPECT_EQ(VXString(VXString("a\0b\0", 4)(1, 3)).view(), std::string_view("\0b\0", 3));
  std::ostringstream out;  // NUL bytes included, width and fill applied
  out << std::setw(5) << std::setfill('.') << nul;
  EXPECT_EQ(out.str(), std::string("..a\0b", 5));
  EXPECT_TRUE(nul < VXString("a\0c", 3)) << "order goes on past NUL";
  EXPECT_FALSE(nul < nul);
  EXPECT_TRUE(VXString("b") > VXString("abc"));
  EXPECT_EQ(std::hash<VXString>()(big), big.hash());
}

// In a Latin locale the bytes above 0x7F change case too, except 0xFF, which
// as a signed char is EOF. Search and comparison in that locale are held
// against a byte loop in VXStringScanTest.
TEST(VXStringRead, CaseChangesFollowALatinLocale) {
  const char* const latin = vxtest::LatinLocale();
  if (latin == nullptr) VXTEST_NO_LATIN_LOCALE();
  std::setlocale(LC_CTYPE, latin);
  VXString up("a\xe9\xff\xc9"), down(up);
  up.toUpper();
  down.toLower();
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(Text(up), "A\xc9\xff\xc9");
  EXPECT_EQ(Text(down), "a\xe9\xff\xe9");
}

}  // namespace
