// VXString and VXSubString beyond what the fuzz target string_ops holds
// against its model after every step of a program of operations (text,
// terminator, capacity, sharing, the unshareable mark, moves, every query):
// every change from every kind of start with each of its allocations failing
// in turn, lengths beyond PTRDIFF_MAX, caller errors, the null view, a view of
// a string that changed, output, and the calls the interface refuses.
#include "vexlo/strings/VXString.h"

#include <iomanip>
#include <sstream>
#include <tuple>
#include <type_traits>
#include <utility>

#include "support/Support.h"

struct vx::detail::VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
};

namespace {

using vx::NPOS;
using vx::VXString;

long Count(const VXString& s) { return vx::detail::VXStringTestAccess::Count(s); }
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

// A buffer exactly when a capacity, that a multiple of 8 with room for the
// text and the NUL behind it.
bool WellFormed(const VXString& s) {
  const size_t room = s.capacity();
  return (room == 0) == (s.data() == VXString().data()) && room % 8 == 0 &&
         (room == 0 ? s.length() == 0 : s.length() < room) && s.data()[s.length()] == 0;
}

// The starts of a change, all holding "abcdefg" but the first and the last:
// no buffer; capacity 16, whose bytes past the text held '#' before; exactly
// full (capacity 8); shared with `other`; capacity 16 and marked unshareable;
// moved from (into `other`).
const char* const kStarts[] = {"no buffer", "room", "full", "shared", "unshareable", "moved from"};
void Start(int start, VXString& s, VXString& other) {
  if (start == 1 || start == 4) s = VXString('#', 15);
  if (start != 0) s.replace(0, NPOS, "abcdefg");
  if (start == 3) other = s;
  if (start == 4) s[0] = 'a';
  if (start == 5) other = std::move(s);
}

// Every change, sized by k from 0 to 9 (a source of k bytes, an unshareable
// one of 7 + k, a count or a size of k or 7 + k), so that the results cross
// both capacities: exactly the room, one byte less and one more. With an
// allocation failing, the string keeps its text, buffer, capacity and count,
// and the other holders theirs; otherwise the record is well formed (a lost
// terminator shows a '#'), the text is the same from every start that holds
// "abcdefg", the moved-from string ends as the one without buffer, and the
// last holder frees each record. The texts themselves are the fuzz model's.
TEST(VXStringEdit, EachChangeFromEachStartGivesOneTextOrChangesNothing) {
  // The string changed, a source and an unshareable one; the middle of s, the
  // size and 7 + k; k bytes.
  VXString *s = nullptr, str, marked;
  size_t h = 0, k = 0, n = 0;
  const char* p = nullptr;
  // clang-format off
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"= string", [&] { *s = str; }}, {"= unshareable", [&] { *s = marked; }},
      {"= itself", [&] { *s = static_cast<const VXString&>(*s); }}, {"= char", [&] { *s = 'q'; }},
      {"= text", [&] { *s = p; }}, {"[h] =", [&] { (*s)[h] = s->isNull() ? '\0' : 'W'; }},
      {"(h) =", [&] { (*s)(h) = s->isNull() ? '\0' : 'V'; }},
      {"replace(h, 2, p, k)", [&] { s->replace(h, 2, p, k); }},
      {"replace(h, 2, p)", [&] { s->replace(h, 2, p); }}, {"replace(h, 2, str)", [&] { s->replace(h, 2, str); }},
      {"replace(h, 2, str, k + 3)", [&] { s->replace(h, 2, str, k + 3); }},
      {"append(p)", [&] { s->append(p); }}, {"append(p, k)", [&] { s->append(p, k); }},
      {"append(str)", [&] { s->append(str); }}, {"append(str, k + 3)", [&] { s->append(str, k + 3); }},
      {"+= p", [&] { *s += p; }}, {"+= str", [&] { *s += str; }}, {"prepend(p)", [&] { s->prepend(p); }},
      {"prepend(p, k)", [&] { s->prepend(p, k); }}, {"prepend(str)", [&] { s->prepend(str); }},
      {"prepend(str, k)", [&] { s->prepend(str, k); }}, {"insert(h, p)", [&] { s->insert(h, p); }},
      {"insert(h, p, k)", [&] { s->insert(h, p, k); }}, {"insert(h, str)", [&] { s->insert(h, str); }},
      {"insert(h, str, k)", [&] { s->insert(h, str, k); }}, {"remove(h)", [&] { s->remove(h); }},
      {"remove(h, k)", [&] { s->remove(h, k); }}, {"append(itself)", [&] { s->append(*s); }},
      {"insert(h, itself)", [&] { s->insert(h, *s); }},
      {"prepend(own bytes from h)", [&] { s->prepend(s->data() + h, h); }},
      {"append('x', k)", [&] { s->append('x', k); }}, {"append('y')", [&] { s->append('y'); }},
      {"+= 'y'", [&] { *s += 'y'; }}, {"prepend('-', k)", [&] { s->prepend('-', k); }},
      {"resize(7 + k)", [&] { s->resize(n); }}, {"resize(k)", [&] { s->resize(k); }},
      {"toUpper()", [&] { s->toUpper(); }}, {"toLower()", [&] { s->toLower(); }},
      {"= VXString()", [&] { *s = VXString(); }}, {"= VXString(p)", [&] { *s = VXString(p); }},
      {"= VXString(p, k)", [&] { *s = VXString(p, k); }}, {"= VXString(7 + k)", [&] { *s = VXString(n); }},
      {"= VXString('c', 7 + k)", [&] { *s = VXString('c', n); }},
      {"= VXString(unshareable)", [&] { *s = VXString(marked); }},
      {"= VXString(view)", [&] { *s = VXString(marked(1, k)); }},
      {"= VXString(string_view)", [&] { *s = VXString(std::string_view(p)); }}};
  // clang-format on
  for (k = 0, n = 7; k < 10; ++k, ++n) {
    const std::string piece("ABCDEFGHI", k);
    p = piece.c_str(), str = VXString(p), marked = VXString("abcdefg" + piece), marked[0] = 'a';
    for (const auto& [name, change] : changes) {
      // Allocated before the count of live blocks is taken.
      std::string texts[6], at[6];
      for (int start = 0; start < 6; ++start) {
        at[start] = std::string(name) + ", k " + std::to_string(k) + ", from " + kStarts[start];
        texts[start].reserve(64);
        const long live = vxtest::LiveAllocations();
        {
          VXString t, other;
          Start(start, t, other);
          s = &t, h = t.length() / 2;
          const auto holders = [&] {
            return std::make_tuple(Text(other), Text(str), Text(marked), Count(marked), Text(t),
                                   static_cast<const void*>(t.data()), t.capacity(), Count(t));
          };
          const auto before = holders();
          vxtest::ForEachAllocationFailure(change,
                                           [&] { EXPECT_EQ(holders(), before) << at[start]; });
          EXPECT_EQ(Text(other), std::get<0>(before)) << at[start];
          EXPECT_TRUE(WellFormed(t)) << at[start];
          texts[start].assign(t.data(), t.length());
        }
        EXPECT_EQ(vxtest::LiveAllocations(), live) << at[start] << ": a record left";
      }
      for (int start = 2; start < 5; ++start) EXPECT_EQ(texts[start], texts[1]) << at[start];
      EXPECT_EQ(texts[5], texts[0]) << at[5];
    }
  }
}

// A length beyond PTRDIFF_MAX is refused as an allocation failure before any
// byte moves: the string and its sharer keep text and record.
TEST(VXStringEdit, LengthsBeyondPtrdiffMaxFailAsAllocations) {
  VXString s("abc");
  const VXString sharer(s);
  EXPECT_THROW(s.append('x', static_cast<size_t>(PTRDIFF_MAX)), std::bad_alloc);
  EXPECT_THROW(s.prepend('x', SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(s.append("x", static_cast<size_t>(PTRDIFF_MAX)), std::bad_alloc);
  EXPECT_THROW(s.resize(SIZE_MAX), std::bad_alloc);
  EXPECT_TRUE(Text(s) == "abc" && s.data() == sharer.data());
}

// Caller errors: debug builds assert on a position beyond the text and on a
// count beyond the source.
TEST(VXStringEdit, PositionsAndCountsBeyondTheirRange) {
  if (vxtest::RunningUnderWine()) GTEST_SKIP() << "death tests are unreliable under Wine";
  VXString s("abc");
  EXPECT_DEBUG_DEATH(s.insert(10, "x"), "position beyond the text");
  EXPECT_DEBUG_DEATH(s.insert(1, VXString("yz"), 9), "count beyond the source");
}

// The null sub-string reads as an empty text and equals every empty text and
// view; a string made of it has a buffer of its own. A view reads its string
// as it is now. Output writes every byte, NUL included, with width and fill.
TEST(VXStringRead, NullViewsLiveViewsAndOutput) {
  VXString hello("hello");
  const vx::VXSubString ell = hello(1, 3), null = hello(NPOS, 0);
  EXPECT_TRUE(*null.data() == 0 && null == VXString() && "" == null && null == hello(3, 0));
  EXPECT_TRUE(static_cast<const char*>(nullptr) == null && VXString(null).capacity() == 8);
  hello = "HELLO";
  EXPECT_TRUE(ell == "ELL");
  std::ostringstream out;
  out << std::setw(5) << std::setfill('.') << VXString("a\0b", 3);
  EXPECT_EQ(out.str(), std::string("..a\0b", 5));
}

}  // namespace
