// Search, comparison and equality through the public API, each held against
// a byte-by-byte loop written here: every text length from 0 to 300 (both
// sides of the 256 bytes from which ignoring case folds through a table) and
// two long ones, the match or the first difference at every position (the
// last candidate and the one past it included), the start moved through a
// 64-byte block, the letters at the edges of the alphabet with their
// neighbours, bytes 0x80 to 0xFF and NUL, and every byte value against every
// other; ignoring case in the default and in a Latin locale (which folds
// bytes above 0x7F too, and so takes the table path, not the ASCII block
// scans), also when the locale changes between two calls. A test stops at its
// first failure, which names its case.
#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/Cases.h"
#include "support/Platform.h"

#if defined(__GLIBC__)
# include <locale.h>
#endif

namespace {

using namespace std::string_literals;
using vx::NPOS;
using vx::VXString;
using Mode = VXString::ECaseComp;
constexpr Mode kExact = VXString::Exact;
constexpr Mode kIgnore = VXString::IgnoreCase;

// --- The references --------------------------------------------------------

// A byte folded as the documentation says: taken as a signed char through
// toupper of the current locale, the answer again a signed char; 0xFF, which
// is EOF as a signed char, stays.
int Upper(char c) {
  if (static_cast<signed char>(c) == EOF) return EOF;
  return static_cast<signed char>(std::toupper(static_cast<unsigned char>(c)));
}

// What the references compare for each byte: the byte (unsigned), or the
// byte folded in the locale in force when the keys are made.
struct Keys {
  explicit Keys(Mode mode) {
    for (int b = 0; b < 256; ++b) of[b] = mode == kExact ? b : Upper(static_cast<char>(b));
  }
  int operator()(char c) const { return of[static_cast<unsigned char>(c)]; }
  int of[256];
};

// The leftmost position from `start` at which every byte of `pat` matches.
size_t Search(const std::string& text, const std::string& pat, size_t start, const Keys& key) {
  const size_t n = text.size(), m = pat.size();
  for (size_t i = start; i < n && m <= n - i; ++i) {
    size_t k = 0;
    while (k < m && key(text[i + k]) == key(pat[k])) ++k;
    if (k == m) return i;
  }
  return NPOS;
}

// The difference of the first pair of keys that differ (exact: its sign
// counts), else the shorter text first.
int Compare(const std::string& a, const std::string& b, const Keys& key) {
  const size_t n = std::min(a.size(), b.size());
  size_t k = 0;
  while (k < n && key(a[k]) == key(b[k])) ++k;
  if (k < n) return key(a[k]) - key(b[k]);
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Every length to 300 (both sides of the folding table's 256), and two long texts.
const std::vector<size_t> kLengths = vxtest::Lengths(300, {1024 + 3, 8192 + 37});

int Sign(int v) { return (v > 0) - (v < 0); }

bool IsAsciiLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// A byte that differs from `c` whatever the case, in ASCII: a letter's
// neighbour ('A' '@', 'Z' '[', 'a' '`', 'z' '{', 'M' 'L'), else the byte 0x20
// away ('@' '`', '[' '{', 0x80 0xA0; 0xC9 0xE9 is one letter in Latin-9).
char Neighbour(char c) { return static_cast<char>(IsAsciiLetter(c) ? c ^ 0x01 : c ^ 0x20); }

// The byte in the other case in the current locale (itself if it has none).
char Twin(char c) {
  const auto u = static_cast<unsigned char>(c);
  const int lower = std::tolower(u);
  return static_cast<char>(lower != u ? lower : std::toupper(u));
}

// --- Cases -----------------------------------------------------------------

// Every position from 0 to `last`; in a long text the first and last 20 and
// every 1024th.
std::vector<size_t> Positions(size_t last) {
  std::vector<size_t> at;
  for (size_t p = 0; p <= last; ++p) {
    if (last <= 300 || p < 20 || last - p < 20 || p % 1024 == 0) at.push_back(p);
  }
  return at;
}

const char* Name(Mode mode) { return mode == kExact ? "Exact" : "IgnoreCase"; }

// Runs `check(locale)` in the default locale, then in the Latin one; "C" again after.
template <class Check>
void InEachLocale(const Check& check) {
  const char* const latin = vxtest::LatinLocale();
  for (const char* locale : {"C", latin}) {
    if (locale == nullptr) VXTEST_NO_LATIN_LOCALE();
    std::setlocale(LC_CTYPE, locale);
    check(locale);
  }
  std::setlocale(LC_CTYPE, "C");
}

// --- Sequence and byte search ----------------------------------------------

struct SearchRow {
  const char* name;
  std::string pattern;
  std::string filler;  // the text around the planted copy, repeated
};

// Fillers that match the pattern's first and last byte every few positions
// keep the block scans handing candidates that the middle refuses.
const SearchRow kSearchRows[] = {
    {"z", "z", "{y"},
    {"e acute", "\xe9", "\xc8\x80"},
    {"Zz", "Zz", "{["},
    {"Z NUL", "Z\0"s, "z\x80"},
    {"edges", "@AZ[`az{", "@`{[\xa1"},
    {"edges reversed", "{za`[ZA@", "{`@[\xa1"},
    {"17 bytes", "zA\x80\xc9\xe9\xff@[`{aZ\0\x7f\xa0\x41z"s, "z{z\xa1\xa1\xa1\xa1"},
    {"34 bytes", "@AZ[`az{zA\x80\xc9\xe9\xff@[`{aZ\0\x7f\xa0\x41z{za`[ZA@\x80"s,
     "@\xa1\xa1\x80\xa1"},
};

// The planted copy at p: as it is, every byte in the other case, or one byte
// k replaced by its neighbour. A copy that runs past the end is cut: the text
// ends in the pattern without its last bytes, and a scan that tries one
// candidate too many meets the NUL behind the text there.
std::string Plant(std::string text, size_t p, const std::string& pat, int kind, size_t k) {
  std::string copy = pat;
  if (kind == 1) std::transform(copy.begin(), copy.end(), copy.begin(), Twin);
  if (kind == 2) copy[k] = Neighbour(copy[k]);
  return text.replace(p, std::min(copy.size(), text.size() - p), copy, 0, text.size() - p);
}

// Every row, length and position; the start (the text before it holds the
// pattern over and over) and the kind of copy turn with them. Patterns of one
// byte also go through the byte searches.
void CheckSearch(Mode mode, const char* locale) {
  const Keys key(mode);
  for (const SearchRow& row : kSearchRows) {
    const std::string& pat = row.pattern;
    std::string filler, before;
    while (filler.size() < 8300) filler += row.filler;
    while (before.size() < 64) before += pat;
    for (const size_t length : kLengths) {
      for (const size_t p : Positions(length + 1 >= pat.size() ? length + 1 - pat.size() : 0)) {
        const size_t start = (length + 5 * p) % 64;
        const int kind = static_cast<int>((length + p) % 3);
        const size_t k = (length + p / 3) % pat.size();
        const std::string text =
            before.substr(0, start) + Plant(filler.substr(0, length), p, pat, kind, k);
        const VXString s(text.data(), text.size());
        struct {
          const char* form;
          size_t got, want;
        } answers[4] = {{"index(pat, n, start, mode)", s.index(pat.data(), pat.size(), start, mode),
                         Search(text, pat, start, key)}};
        const bool bytes = pat.size() == 1 && mode == kExact;  // the byte searches know no case
        if (bytes) {
          size_t last = NPOS;
          for (size_t i = 0; i < text.size(); ++i) last = text[i] == pat[0] ? i : last;
          answers[1] = {"index(c, start)", s.index(pat[0], start), answers[0].want};
          answers[2] = {"first(c)", s.first(pat[0]), Search(text, pat, 0, key)};
          answers[3] = {"last(c)", s.last(pat[0]), last};
        }
        for (size_t f = 0; f < (bytes ? 4 : 1); ++f) {
          const auto& a = answers[f];
          if (a.got == a.want) continue;
          ADD_FAILURE() << a.form << " for \"" << row.name << "\", " << Name(mode) << " in "
                        << locale << ", text length " << length << " from " << start
                        << ", copy kind " << kind << " (byte " << k << ") at " << p << ": got "
                        << a.got << ", want " << a.want;
          return;
        }
      }
    }
  }
}

TEST(VXStringScan, SearchExact) { CheckSearch(kExact, "C"); }

TEST(VXStringScan, SearchIgnoringCase) {
  InEachLocale([](const char* locale) { CheckSearch(kIgnore, locale); });
}

// --- Three-way comparison ----------------------------------------------------

// Texts over the edges of the alphabet, high bytes and NUL; the other text is
// the same with no byte, every byte or one byte in the other case, with its
// first difference at every position (or none), and as long, one longer or
// one shorter. It is given at every offset of a 64-byte block, at the end of
// a heap block of its own, so that a read past its count is an overflow (the
// sanitizers report it).
void CheckCompare(Mode mode, const char* locale) {
  const Keys key(mode);
  const std::string alphabet =
      "@AZ[`az{\x80\x9f\xa0\xbf\xc0\xc9\xd7\xdf\xe0\xe9\xf7\xfe\xff\0Mm_\xa6\xa8\xbc\xbd"s;
  size_t n = 0;
  for (const size_t length : kLengths) {
    std::string a;
    for (size_t k = 0; k < length; ++k) a += alphabet[(5 * k + length) % alphabet.size()];
    for (const size_t d : Positions(length)) {
      const int flip = static_cast<int>(n % 3), longer = static_cast<int>(n / 3 % 3);
      const size_t offset = n++ % 64;
      std::string b = a;
      if (flip == 1) std::transform(b.begin(), b.end(), b.begin(), Twin);
      if (flip == 2 && length > 0) b[n % length] = Twin(b[n % length]);
      if (d < length) b[d] = Neighbour(a[d]);
      if (longer == 1) b += 'M';
      if (longer == 2 && length > 0) b.pop_back();
      const std::pair<const std::string&, const std::string&> sides[] = {{a, b}, {b, a}};
      for (const auto& [x, y] : sides) {
        const std::unique_ptr<char[]> room(new char[offset + y.size()]);
        std::fill_n(room.get(), offset, '#');
        std::copy(y.begin(), y.end(), room.get() + offset);
        const int want = mode == kExact ? Sign(Compare(x, y, key)) : Compare(x, y, key);
        const int got = VXString(x.data(), x.size()).compareTo(room.get() + offset, y.size(), mode);
        if ((mode == kExact ? Sign(got) : got) != want) {
          ADD_FAILURE() << "compareTo, " << Name(mode) << " in " << locale << ", lengths "
                        << x.size() << " and " << y.size() << " (at offset " << offset
                        << "), case flip " << flip << ", first difference at " << d << ": got "
                        << got << ", want " << want;
          return;
        }
      }
    }
  }
}

TEST(VXStringScan, CompareExact) { CheckCompare(kExact, "C"); }

TEST(VXStringScan, CompareIgnoringCase) {
  InEachLocale([](const char* locale) { CheckCompare(kIgnore, locale); });
}

// --- Every byte against every byte -------------------------------------------

// Texts of one byte repeated, 1 byte, 15 (plain loops) and 300 (block scans
// and the folding table), searched for two (or one) of another byte and
// compared with them: every pair of byte values on both sides of every scan,
// in both modes and both locales.
TEST(VXStringScan, EveryByteAgainstEveryByte) {
  InEachLocale([](const char* locale) {
    for (const size_t size : {1, 15, 300}) {
      std::vector<std::string> runs;
      std::vector<VXString> strings;
      for (int b = 0; b < 256; ++b) {
        runs.emplace_back(size, static_cast<char>(b));
        strings.emplace_back(runs.back().data(), size);
      }
      for (const Mode mode : {kExact, kIgnore}) {
        const Keys key(mode);
        for (int a = 0; a < 256; ++a) {
          for (int b = 0; b < 256; ++b) {
            const std::string &text = runs[a], pat = runs[b].substr(0, 2);
            const size_t at = strings[a].index(pat.data(), pat.size(), 0, mode);
            const int order = strings[a].compareTo(runs[b].data(), size, mode);
            const int wantOrder = Compare(text, runs[b], key);
            // A text of one byte holds the pattern at 0 or nowhere.
            const size_t wantAt = Search(text.substr(0, 2), pat, 0, key);
            if (at == wantAt &&
                (mode == kExact ? Sign(order) == Sign(wantOrder) : order == wantOrder)) {
              continue;
            }
            return ADD_FAILURE() << Name(mode) << " in " << locale << ", " << size << " bytes 0x"
                                 << std::hex << a << " against 0x" << b << std::dec << ": index "
                                 << at << ", compareTo " << order << " (want " << wantAt << ", "
                                 << wantOrder << ")";
          }
        }
      }
    }
  });
}

// The folding is read at each call: 0xE9 and 0xC9 are one letter in Latin-9
// and two bytes in the default locale, in short texts and long ones; the
// locale changes by setlocale, and for one thread by uselocale.
TEST(VXStringScan, ALocaleChangedBetweenCallsIsSeenAtTheNextCall) {
  const char* const latin = vxtest::LatinLocale();
  if (latin == nullptr) VXTEST_NO_LATIN_LOCALE();
  const std::string pad(300, 'a');
  const VXString shortE("\xe9"), longE((pad + "\xe9").c_str());
  const std::string longC = pad + "\xc9";
  const auto folded = [&] {
    return std::vector<bool>{shortE.compareTo("\xc9", kIgnore) == 0,
                             longE.compareTo(longC.c_str(), kIgnore) == 0,
                             longE.index("A\xc9", 0, kIgnore) == 299};
  };
  const std::vector<bool> all(3, true), none(3, false);
  for (int round = 0; round < 2; ++round) {
    std::setlocale(LC_CTYPE, latin);
    EXPECT_EQ(folded(), all) << latin << ", round " << round;
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(folded(), none) << "default, round " << round;
  }
#if defined(__GLIBC__)
  // duplocale, not newlocale: newlocale keeps a copy of LOCPATH that freelocale does not free.
  std::setlocale(LC_CTYPE, latin);
  const locale_t latin9 = duplocale(LC_GLOBAL_LOCALE);
  std::setlocale(LC_CTYPE, "C");
  ASSERT_NE(latin9, nullptr);
  for (int round = 0; round < 2; ++round) {
    uselocale(latin9);
    EXPECT_EQ(folded(), all) << "this thread in Latin-9, round " << round;
    uselocale(LC_GLOBAL_LOCALE);
    EXPECT_EQ(folded(), none) << "back to the global locale, round " << round;
  }
  freelocale(latin9);
#endif
}

// --- Equality and order of strings, views and texts --------------------------

// One text three ways: a string, a view at `offset` into a longer string
// (followed by `tail`), and a NUL-terminated text, which ends at its first NUL.
struct Forms {
  Forms(const std::string& bytes, size_t offset, const std::string& tail)
      : held{bytes, bytes, bytes.substr(0, bytes.find('\0'))},
        string(bytes.data(), bytes.size()),
        host((std::string(offset, '#') + bytes + tail).data(), offset + bytes.size() + tail.size()),
        view(host(offset, bytes.size())),
        text(bytes.c_str()) {}
  std::string held[3];  // what the string, the view and the text hold
  VXString string, host;
  vx::VXSubString view;
  const char* text;
};

enum { kString, kView, kText };
using Pair = std::pair<bool, bool>;  // == and !=

struct EqualityRow {
  const char* name;
  int left, right;
  Pair (*equal)(const Forms&, const Forms&);
};

// The formatter takes the stringizing # for a directive.
// clang-format off
#define VX_EQUALITY(l, r, L, R)                                                  \
  {                                                                               \
    #l " == " #r, k##L, k##R, [](const Forms& a, const Forms& b) {                \
      return Pair(a.l == b.r, a.l != b.r);                                        \
    }                                                                             \
  }
// clang-format on
const EqualityRow kEqualities[] = {
    VX_EQUALITY(string, string, String, String), VX_EQUALITY(string, text, String, Text),
    VX_EQUALITY(text, string, Text, String),     VX_EQUALITY(view, view, View, View),
    VX_EQUALITY(string, view, String, View),     VX_EQUALITY(view, string, View, String),
    VX_EQUALITY(text, view, Text, View),         VX_EQUALITY(view, text, View, Text)};
#undef VX_EQUALITY

struct OrderRow {
  const char* name;
  int right;
  int (*sign)(const Forms&, const Forms&);  // of the left string against the right form
};

const OrderRow kOrders[] = {
    {"compareTo(string)", kString,
     [](const Forms& l, const Forms& r) { return Sign(l.string.compareTo(r.string)); }},
    {"compareTo(text)", kText,
     [](const Forms& l, const Forms& r) { return Sign(l.string.compareTo(r.text)); }},
    {"string < string", kString,
     [](const Forms& l, const Forms& r) {
       const VXString &a = l.string, &b = r.string;
       const int less = (b < a) - (a < b), lessOrEqual = (a >= b) - (a <= b);
       return less == lessOrEqual ? less : 2;  // 2: the four operators disagree
     }},
};

// Equal, one a prefix of the other, different at d, and NUL at d (as a text
// the one with NUL inside ends there), each pair both ways round, over every
// length and position; the view's string goes on with the other text's bytes,
// so that a comparison of the wrong length sees them agree.
TEST(VXStringScan, EqualityAndOrderOfStringsViewsAndTexts) {
  const std::string alphabet = "@AZ[`az{\x80\xc9\xe9\xffMm";
  const Keys exact(kExact);
  size_t n = 0;
  for (const size_t length : kLengths) {
    std::string t;
    for (size_t k = 0; k < length; ++k) t += alphabet[(5 * k + length) % alphabet.size()];
    for (const size_t d : Positions(length)) {
      std::string other = t, nul = t;
      if (d < length) other[d] = static_cast<char>(other[d] ^ 0x20), nul[d] = '\0';
      const struct {
        const char* name;
        std::string x, y;
      } pairs[] = {{"different", t, other},
                   {"prefix", t, t.substr(0, d)},
                   {"prefix against NUL", t.substr(0, d), nul},
                   {"NUL", t, nul}};
      for (const auto& pair : pairs) {
        const size_t common = std::min(pair.x.size(), pair.y.size());
        const Forms forms[] = {{pair.x, n % 64, pair.y.substr(common) + "~"},
                               {pair.y, n * 7 % 64, pair.x.substr(common) + "~"}};
        ++n;
        for (int swap = 0; swap < 2; ++swap) {
          const Forms &l = forms[swap], &r = forms[1 - swap];
          const std::string &a = l.held[kString], &b = r.held[kString];
          const auto failure = [&](const char* name, int got, int want) {
            ADD_FAILURE() << name << ", \"" << pair.name << "\" at " << d
                          << (swap ? " swapped" : "") << ", lengths " << a.size() << " and "
                          << b.size() << ": got " << got << ", want " << want;
          };
          for (const EqualityRow& row : kEqualities) {
            const bool want = l.held[row.left] == r.held[row.right];
            const Pair got = row.equal(l, r);
            if (got != Pair(want, !want)) return failure(row.name, got.first, want);
          }
          const int order[] = {Sign(Compare(a, b, exact)), Sign(Compare(a, b, exact)),
                               Sign(Compare(a, r.held[kText], exact))};
          for (const OrderRow& row : kOrders) {
            const int want = order[row.right];
            const int got = row.sign(l, r);
            if (got != want) return failure(row.name, got, want);
          }
        }
      }
    }
  }
}

}  // namespace
