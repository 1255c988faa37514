// VXString and VXSubString beyond what the fuzz target string_ops holds
// against its model after every step of a program of operations, each with
// an allocation failing now and then (text, terminator, capacity, sharing,
// the unshareable mark, moves, every query, the strong guarantee).
//
// The string fast paths, each one row of a table held against a byte loop
// written here: the block scans (every variant this processor runs, and the
// entry points with their inline short paths), the comparisons and the
// case-blind search of the interface, and case folding; the exact searches
// and equalities are the model's, whose queries reach the same scans in
// texts of every length the programs build. One sweep
// makes the cases in increasing length and stops at the first that fails,
// naming the row, length, offset, position and byte: every length to 300 and
// two long ones; every position of the planted byte (in the long texts the
// first and last 20 and every 1024th); the offset turned through a 64-byte
// block; in texts up to 40 bytes every byte of the edges of ASCII case, NUL
// and the upper half at every position; in the default locale and in a Latin
// one, which folds the upper half too (the plain folded loops). Then caller
// errors, the null view, a view of a string that changed, and output.

#include <algorithm>
#include <cctype>
#include <clocale>
#include <iomanip>
#include <memory>
#include <numeric>
#include <sstream>
#include <tuple>
#include <type_traits>
#include <vector>

#include "support/Support.h"
#include "vexlo/strings/VXString.h"
#include "vexlo/strings/internal/ByteScan.h"

namespace {

using namespace std::string_literals;
using vx::NPOS;
using vx::VXString;
using Key = int (*)(char);
constexpr VXString::ECaseComp kIgnore = VXString::IgnoreCase;

// What the byte loops compare: the byte; the byte folded as documented (taken
// as a signed char through toupper or tolower of the current locale, the
// answer a signed char; 0xFF, EOF as a signed char, stays); or folded to
// ASCII upper case, as the block scans do.
int Byte(char c) { return static_cast<unsigned char>(c); }
int Upper(char c) { return c == '\xff' ? -1 : static_cast<signed char>(std::toupper(Byte(c))); }
int Lower(char c) { return c == '\xff' ? -1 : static_cast<signed char>(std::tolower(Byte(c))); }
int Ascii(char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : Byte(c); }
int Sign(long long v) { return (v > 0) - (v < 0); }

size_t Prefix(const char* a, const char* b, size_t n, Key key) {
  size_t k = 0;
  while (k < n && key(a[k]) == key(b[k])) ++k;
  return k;
}
// The first i from `from` at which the pattern's bytes match: all of them, or
// (`ends`) its first and last.
size_t Find(const std::string& t, size_t from, const std::string& pat, Key key, bool ends = false) {
  for (size_t i = from, m = pat.size(); i < t.size() && m <= t.size() - i; ++i) {
    const bool edges = key(t[i]) == key(pat[0]) && key(t[i + m - 1]) == key(pat[m - 1]);
    if (edges && (ends || Prefix(t.data() + i, pat.data(), m, key) == m)) return i;
  }
  return NPOS;
}
int Order(const std::string& a, const std::string& b, Key key) {
  const size_t n = std::min(a.size(), b.size()), k = Prefix(a.data(), b.data(), n, key);
  return k < n ? key(a[k]) - key(b[k]) : (a.size() > b.size()) - (a.size() < b.size());
}
// The byte in the other case in the current locale, or itself: of c, its
// lower and its upper case, two are c.
char Twin(char c) { return static_cast<char>(Lower(c) == Upper(c) ? c : Lower(c) ^ Upper(c) ^ c); }
// toUpper or toLower of `text` as the byte loop folds it.
bool FoldsAsTheLoop(const std::string& text, bool up) {
  VXString s(text);
  up ? s.toUpper() : s.toLower();
  std::string want;
  for (const char c : text) want += static_cast<char>((up ? Upper : Lower)(c));
  return s.view() == want;
}
// Answers of 0 to 9 as the decimal digits of one number, the first leftmost.
long long Digits(std::initializer_list<int> d) {
  return std::accumulate(d.begin(), d.end(), 0LL, [](long long n, int x) { return n * 10 + x; });
}

// The 137 bytes planted: the edges of ASCII case, NUL and the upper half.
char Edge(size_t i) { return i < 9 ? "@AZ[`az{"[i] : static_cast<char>(0x77 + i); }
// What texts are made of, in pairs, so that a pattern's first and last byte
// often recur one position early and the middle has to refuse the candidate.
const std::string kFill = "@AZ[`az{\0\x80\xc9\xe9\xff"s;

// Case `number` of the sweep. `a` is n bytes of the fill; `b` is `a` with
// byte x at p, in the other case throughout every other time. They are
// compared as (a, b), (b, a), (a, b cut at p) or (b cut at p, a), the right
// one `offset` bytes into a heap block that it ends, so that a read past it
// is an overflow. The search looks in `text`, `offset` bytes of copies of the
// pattern and then `b`, from `offset`, for the m bytes of the fill that hold
// p as their byte k (a copy that runs one past the end ends in NUL, the byte
// behind the text).
struct Case {
  Case(size_t n, size_t p, int edge, size_t number) : offset(number % 64) {
    std::string a;
    while (a.size() < n + 40) a.append(2, kFill[(a.size() * a.size() / 4 + n) % kFill.size()]);
    x = edge >= 0 ? Edge(edge) : std::string{a[p], Twin(a[p]), Edge(number % 137)}[number % 3];
    std::string b = a.substr(0, n);
    if (number / 4 % 2 == 1) std::transform(b.begin(), b.end(), b.begin(), Twin);
    if (p < n) b[p] = x;
    const std::string sides[] = {a.substr(0, n), b, b.substr(0, p), a.substr(0, n)};
    lhs = sides[number % 4], rhs = sides[number % 4 ^ 1];
    const size_t m = std::vector<size_t>{1, 2, 3, 12, 19, 40}[number % 6];
    const size_t k = std::min(p, std::vector<size_t>{0, m - 1, m / 2, 1}[number / 6 % 4] % m);
    pat = a.substr(p - k, m);
    if (p - k + m == n + 1) pat.back() = '\0';
    while (text.size() < offset) text += pat[text.size() % m];
    text += b;
    block.reset(new char[offset + rhs.size()]);
    r = std::copy(rhs.begin(), rhs.end(), block.get() + offset) - rhs.size();
    sl = VXString(lhs), st = VXString(text);
  }
  size_t offset;
  char x;
  std::string lhs, rhs, pat, text;
  std::unique_ptr<char[]> block;
  const char* r;  // rhs, ending its heap block
  VXString sl, st;
};

// The variant of the block scans (or ""), the row, its answer and the byte
// loop's.
using Answer = std::tuple<const char*, const char*, long long, long long>;

// Each fast path's answer for `c` beside the byte loop's; only the case-blind
// ones when `foldingOnly`.
std::vector<Answer> Answers(const Case& c, bool foldingOnly) {
  const std::string &pat = c.pat, &l = c.lhs, &r = c.rhs, &t = c.text;
  const size_t at = c.offset, m = pat.size(), common = std::min(l.size(), r.size());
  const VXString& s = c.sl;
  std::vector<Answer> rows = {{"", "index(pat, m, start, IgnoreCase)",
                               c.st.index(pat.data(), m, at, kIgnore), Find(t, at, pat, Upper)},
                              {"", "compareTo(rhs, n, IgnoreCase)",
                               s.compareTo(c.r, r.size(), kIgnore), Order(l, r, Upper)},
                              {"", "toUpper", FoldsAsTheLoop(r, true), true},
                              {"", "toLower", FoldsAsTheLoop(r, false), true}};
  if (foldingOnly) return rows;
  // The exact order in each form and the operators that only the sweep calls; the other exact
  // searches, comparisons and equalities are the string model's queries.
  const VXString rs(r);
  const char* const rt = r.c_str();
  const int sign = Sign(Order(l, r, Byte)), textSign = Sign(Order(l, rt, Byte));
  const int asText = l == r.substr(0, r.find('\0'));
  rows.push_back({"", "signs + 1 of compareTo(rhs, n), (string), (text); <, >, <=, >=; text ==, !=",
                  Digits({Sign(s.compareTo(c.r, r.size())) + 1, Sign(s.compareTo(rs)) + 1,
                          Sign(s.compareTo(rt)) + 1, (s < rs), (s > rs), (s <= rs), (s >= rs),
                          (rt == s), (s != rt)}),
                  Digits({sign + 1, sign + 1, textSign + 1, (sign < 0), (sign > 0), (sign <= 0),
                          (sign >= 0), asText, !asText})});
  // Every variant of the block scans this processor runs, and the entry points.
  static const vx::detail::ScanKernels kEntryPoints = {
      "entry points", vx::detail::FindBytePair, vx::detail::FindBytePairAsciiUpper,
      vx::detail::EqualPrefix, vx::detail::AsciiUpperEqualPrefix};
  const size_t exact = Prefix(s.data(), c.r, common, Byte), last = t.size() - m;
  const size_t ascii = Prefix(s.data(), c.r, common, Ascii);
  const size_t pairs = Find(t, at, pat, Byte, true), asciiPairs = Find(t, at, pat, Ascii, true);
  const char a = pat[0], b = pat[m - 1], upperA = Ascii(a), upperB = Ascii(b);
  for (size_t i = 0; i <= vx::detail::ScanKernelCount() && m <= t.size(); ++i) {
    const auto& v = i == 0 ? kEntryPoints : vx::detail::ScanKernelsAt(i - 1);
    rows.insert(
        rows.end(),
        {{v.name, "equalPrefix", v.equalPrefix(c.r, s.data(), common), exact},
         {v.name, "asciiUpperEqualPrefix", v.asciiUpperEqualPrefix(c.r, s.data(), common), ascii},
         {v.name, "findBytePair", v.findBytePair(c.st.data(), at, last, a, b, m - 1), pairs},
         {v.name, "findBytePairAsciiUpper",
          v.findBytePairAsciiUpper(c.st.data(), at, last, upperA, upperB, m - 1), asciiPairs}});
  }
  return rows;
}

void Sweep(const char* locale, bool foldingOnly) {
  size_t number = 0;
  for (size_t k = 0; k <= 302; ++k) {
    const size_t n = k <= 300 ? k : k == 301 ? 1027 : 8229;
    for (size_t p = 0; p <= n; ++p) {
      if (n > 300 && p >= 70 && n - p >= 20 && p % 1024 != 0) continue;
      // Every edge byte; or, near the start of a long text, 32 of them at 32 offsets (every
      // alignment of a block); or one chosen by number.
      const int edges = p < n && n <= 40 ? 137 : n > 300 && p < 70 ? 32 : 0;
      for (int edge = edges > 0 ? 0 : -1; edge < edges; ++edge, ++number) {
        const Case c(n, p, edge, number);
        for (const auto& [variant, row, got, want] : Answers(c, foldingOnly)) {
          if (got == want) continue;
          ADD_FAILURE() << variant << ' ' << row << " in " << locale << ", length " << n
                        << ", offset " << c.offset << ", position " << p << ", byte 0x" << std::hex
                        << Byte(c.x) << std::dec << ": got " << got << ", want " << want;
          return;
        }
      }
    }
  }
}

TEST(VXStringScan, EveryFastPathAgreesWithTheByteLoop) { Sweep("the default locale", false); }

// The case-blind paths where the folding changes between calls: in Latin-9
// (bytes above 0x7F fold too: the plain folded loops) set by setlocale, back
// in the default locale, and in Latin-9 as one thread's own (uselocale).
TEST(VXStringScan, CaseBlindPathsFollowTheLocaleOfEachCall) {
  const char* const latin = vxtest::LatinLocale();
  if (latin == nullptr) GTEST_SKIP() << "no Latin-9 or code page 1252 locale here";
  std::setlocale(LC_CTYPE, latin);
  Sweep(latin, true);
  std::setlocale(LC_CTYPE, "C");
  Sweep("the default locale after Latin-9", true);
#if defined(__GLIBC__)
  // duplocale, not newlocale: newlocale keeps a copy of LOCPATH that freelocale
  // does not free.
  std::setlocale(LC_CTYPE, latin);
  const locale_t own = duplocale(LC_GLOBAL_LOCALE);
  std::setlocale(LC_CTYPE, "C");
  uselocale(own);
  Sweep("this thread's own Latin-9", true);
  uselocale(LC_GLOBAL_LOCALE);
  freelocale(own);
#endif
}

// index(pattern, mode) would take the mode for a start: its overloads are deleted.
template <class P, class = void>
struct TakesModeAsStart : std::false_type {};
template <class P>
struct TakesModeAsStart<P, std::void_t<decltype(VXString().index(std::declval<P>(), kIgnore))>>
    : std::true_type {};
static_assert(!TakesModeAsStart<const char*>::value && !TakesModeAsStart<VXString>::value);

// Caller errors: debug builds assert on a position beyond the text and on a
// count beyond the source.
TEST(VXStringEdit, PositionsAndCountsBeyondTheirRange) {
  if (vxtest::Windows()) GTEST_SKIP() << "death tests are unreliable under Wine, which runs these";
  VXString s("abc");
  EXPECT_DEBUG_DEATH(s.insert(10, "x"), "position beyond the text");
  EXPECT_DEBUG_DEATH(s.insert(1, VXString("yz"), 9), "count beyond the source");
}

// The null sub-string reads as an empty text and equals every empty text and
// view; a string made of it has a buffer of its own. A view reads its string
// as it is now, and a string of its head alone does not equal it. Output
// writes every byte, NUL included, with width and fill.
TEST(VXStringRead, NullViewsLiveViewsAndOutput) {
  VXString hello("hello");
  const vx::VXSubString ell = hello(1, 3), null = hello(NPOS, 0);
  EXPECT_TRUE(*null.data() == 0 && null == VXString() && "" == null && null == hello(3, 0));
  EXPECT_TRUE(static_cast<const char*>(nullptr) == null && VXString(null).capacity() == 8);
  hello = "HELLO";
  EXPECT_TRUE(ell == "ELL" && !(VXString("EL") == ell));
  std::ostringstream out;
  out << std::setw(5) << std::setfill('.') << VXString("a\0b", 3);
  EXPECT_EQ(out.str(), std::string("..a\0b", 5));
}

}  // namespace
