// Comparison and search that ignore case (and the exact comparison beside
// them), held against a plain loop over
// toupper of the locale in force, in the default locale and in Latin-9 (which
// folds bytes above 0x7F too, and so takes the table path, not the ASCII
// block scans): every pair of bytes, then generated texts with the first
// difference and the match at every kind of position, and a locale changed
// between two calls, by setlocale and for one thread by uselocale.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <random>
#include <string>
#include <vector>

#include "vexlo/strings/VXString.h"

#if defined(__GLIBC__)
# include <locale.h>
#endif
#if defined(__SANITIZE_ADDRESS__)
# define VX_TEST_LEAK_CHECKER 1
#elif defined(__has_feature)
# if __has_feature(address_sanitizer)
#  define VX_TEST_LEAK_CHECKER 1
# endif
#endif
#ifdef VX_TEST_LEAK_CHECKER
# include <sanitizer/lsan_interface.h>
#endif

namespace {

using vx::NPOS;
using vx::VXString;
constexpr auto kIgnore = VXString::IgnoreCase;
const char kLatin9[] = "en_US.ISO-8859-15";

// A locale that folds the Latin letters above 0x7F: Latin-9 from the test
// setup (Linux), or code page 1252 (Windows); null when there is none.
const char* LatinLocale() {
  const char* name = nullptr;
  for (const char* candidate : {kLatin9, ".1252"}) {
    if (std::setlocale(LC_CTYPE, candidate) != nullptr) {
      name = candidate;
      break;
    }
  }
  std::setlocale(LC_CTYPE, "C");
  return name;
}

int Upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u == 0xFF ? -1 : static_cast<signed char>(std::toupper(u));
}

int ReferenceCompare(const std::string& a, const std::string& b) {
  for (size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
    if (Upper(a[k]) != Upper(b[k])) return Upper(a[k]) - Upper(b[k]);
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The exact order: the first differing bytes as unsigned values.
int ReferenceExact(const std::string& a, const std::string& b) {
  for (size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
    if (a[k] != b[k]) return static_cast<unsigned char>(a[k]) - static_cast<unsigned char>(b[k]);
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

size_t ReferenceFind(const std::string& text, const std::string& pat) {
  for (size_t i = 0; i + pat.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < pat.size() && Upper(text[i + k]) == Upper(pat[k])) ++k;
    if (k == pat.size()) return i;
  }
  return NPOS;
}

VXString VX(const std::string& s) { return VXString(s.data(), s.size()); }

// The locales to try: the default, and Latin-9 where the system has it.
std::vector<const char*> Locales() {
  std::vector<const char*> names{"C"};
  if (const char* latin = LatinLocale()) names.push_back(latin);
  return names;
}

TEST(CaseBlind, EveryPairOfBytesComparesAsToupperFoldsIt) {
  for (const char* locale : Locales()) {
    std::setlocale(LC_CTYPE, locale);
    for (int x = 0; x < 256; ++x) {
      for (int y = 0; y < 256; ++y) {
        const std::string a(1, static_cast<char>(x)), b(1, static_cast<char>(y));
        ASSERT_EQ(VX(a).compareTo(b.data(), 1, kIgnore), ReferenceCompare(a, b))
            << locale << ": bytes " << x << " and " << y;
      }
    }
  }
  std::setlocale(LC_CTYPE, "C");
}

// Texts of many lengths whose bytes are case twins of each other up to a
// chosen position; a pattern cut from the text, its case changed, searched
// from the start.
TEST(CaseBlind, GeneratedTextsCompareAndSearchAsThePlainLoop) {
  const std::string bytes = "aAzZmM@[`{_\x80\xc9\xe9\xff\xbd\xbc\xa6\xa8 0";
  std::mt19937 random(3);
  for (const char* locale : Locales()) {
    std::setlocale(LC_CTYPE, locale);
    for (size_t n = 1; n < 300; n += n < 80 ? 1 : 37) {
      std::string a, b;
      for (size_t i = 0; i < n; ++i) {
        const char c = bytes[random() % bytes.size()];
        const auto u = static_cast<unsigned char>(c);
        a += c;
        b += static_cast<char>(random() % 2 != 0 ? std::toupper(u) : std::tolower(u));
      }
      // A byte changed first, last or anywhere, and the twins unchanged.
      for (const size_t at : {size_t{0}, n - 1, random() % n, n}) {
        std::string c = b;
        if (at < n) c[at] = static_cast<char>(c[at] ^ (random() % 2 != 0 ? 0x01 : 0x80));
        ASSERT_EQ(VX(a).compareTo(VX(c), kIgnore), ReferenceCompare(a, c))
            << locale << ": length " << n << ", changed at " << at;
        ASSERT_EQ(VX(a).compareTo(VX(c)), ReferenceExact(a, c)) << "exact, length " << n;
      }
      ASSERT_EQ(VX(a + "x").compareTo(a.data(), n, kIgnore), 1) << locale << ": length " << n;
      const size_t from = random() % n;
      const std::string pat = b.substr(from, 1 + random() % std::min<size_t>(n - from, 40));
      ASSERT_EQ(VX(a).index(pat.data(), pat.size(), 0, kIgnore), ReferenceFind(a, pat))
          << locale << ": length " << n << ", pattern of " << pat.size() << " from " << from;
    }
  }
  std::setlocale(LC_CTYPE, "C");
}

// The folding is read at each call: 0xE9 and 0xC9 are one letter in Latin-9
// and two bytes in the default locale, in short texts and long ones.
TEST(CaseBlind, ALocaleChangedBetweenCallsIsSeenAtTheNextCall) {
  const char* const latin = LatinLocale();
  if (latin == nullptr) GTEST_SKIP() << "no Latin-9 or code page 1252 locale here";
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
  for (int round = 0; round < 2; ++round) {
    locale_t latin9;
    {
# ifdef VX_TEST_LEAK_CHECKER
      // newlocale keeps a copy of LOCPATH that freelocale does not free.
      const __lsan::ScopedDisabler keepsItsPath;
# endif
      latin9 = newlocale(LC_CTYPE_MASK, kLatin9, nullptr);
    }
    ASSERT_NE(latin9, nullptr);
    uselocale(latin9);
    EXPECT_EQ(folded(), all) << "this thread in Latin-9, round " << round;
    uselocale(LC_GLOBAL_LOCALE);
    freelocale(latin9);
    EXPECT_EQ(folded(), none) << "back to the global locale, round " << round;
  }
#endif
}

}  // namespace
