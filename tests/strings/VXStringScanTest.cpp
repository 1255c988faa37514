// Search and comparison take block-scan and folding-table paths on long texts
// and a byte-by-byte path on short ones. Here every path is held against
// plain loops that follow the rules to the letter, over random texts whose
// lengths straddle the block sizes (16 and 64 bytes) and the length at which
// the folding table takes over (256 bytes). Patterns and the other side of a
// comparison sit in buffers of exactly their size, so that the address
// sanitizer sees any read beyond them.
#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using vx::NPOS;
using vx::VXString;

int Fold(char c) {
  const int u = std::toupper(static_cast<unsigned char>(c));
  return u == static_cast<unsigned char>(c) ? static_cast<signed char>(c) : u;
}

bool Same(char a, char b, bool ignore) { return ignore ? Fold(a) == Fold(b) : a == b; }

size_t PlainIndex(const std::string& text, const std::string& pat, size_t start, bool ignore) {
  for (size_t i = start; i < text.size() && pat.size() <= text.size() - i; ++i) {
    size_t k = 0;
    while (k < pat.size() && Same(text[i + k], pat[k], ignore)) ++k;
    if (k == pat.size()) return i;
  }
  return NPOS;
}

int PlainCompare(const std::string& a, const std::string& b, bool ignore) {
  for (size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
    if (!Same(a[k], b[k], ignore)) {
      return ignore ? Fold(a[k]) - Fold(b[k])
                    : static_cast<unsigned char>(a[k]) - static_cast<unsigned char>(b[k]);
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Bytes from a small alphabet, so that patterns recur and near misses are
// common, with upper-case twins, the bytes around the letters and bytes with
// the top bit set; `flip` changes the case of about half the letters.
std::string RandomText(std::mt19937& random, size_t size, const std::string& flip = {}) {
  static const char alphabet[] = "abAB@[`{z\x80\xe1\xff";
  std::string text = flip.empty() ? std::string(size, '\0') : flip;
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (flip.empty()) {
      c = alphabet[random() % (sizeof alphabet - 1)];
    } else if (random() % 2 == 0 && std::isalpha(u)) {
      c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
  }
  return text;
}

TEST(VXStringScan, SearchAndComparisonAgreeWithThePlainLoops) {
  std::mt19937 random(7);
  for (size_t length : {0,   1,   2,   7,   15,  16,  17,  31,   63,   64,  65,
                        127, 128, 255, 256, 257, 300, 511, 1000, 1024, 4099}) {
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE("length " + std::to_string(length) + ", round " + std::to_string(round));
      const std::string text = RandomText(random, length);
      const size_t patLen = random() % 21, start = random() % (length + 2) / 2;
      std::string pat = RandomText(random, patLen);
      if (length >= patLen && round % 2 == 0) {
        pat = RandomText(random, 0, text.substr(random() % (length - patLen + 1), patLen));
      }
      std::string other = RandomText(random, 0, text);  // equal but for case
      if (length > 0 && round % 3 != 0) other[random() % length] = RandomText(random, 1)[0];
      if (round % 5 == 0) other.resize(random() % (length + 1));
      const VXString s(text.data(), text.size());
      const std::vector<char> exactPat(pat.begin(), pat.end()),
          exactOther(other.begin(), other.end());
      for (auto mode : {VXString::Exact, VXString::IgnoreCase}) {
        const bool ignore = mode == VXString::IgnoreCase;
        EXPECT_EQ(s.index(exactPat.data(), exactPat.size(), start, mode),
                  PlainIndex(text, pat, start, ignore))
            << "pattern length " << patLen << ", start " << start << ", mode " << mode;
        const int got = s.compareTo(exactOther.data(), exactOther.size(), mode);
        const int want = PlainCompare(text, other, ignore);
        EXPECT_EQ(ignore ? got : (got > 0) - (got < 0), ignore ? want : (want > 0) - (want < 0));
      }
    }
  }
}

}  // namespace
