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

size_t PlainIndex(const std::string& text, const std::string& pat, size_t start, bool ignore) {
  const size_t len = text.size();
  if (start > len || pat.size() > len - start) return NPOS;
  for (size_t i = start; pat.size() <= len - i; ++i) {
    size_t k = 0;
    while (k < pat.size() && (ignore ? Fold(text[i + k]) == Fold(pat[k]) : text[i + k] == pat[k])) {
      ++k;
    }
    if (k == pat.size()) return i == len ? NPOS : i;
  }
  return NPOS;
}

int PlainCompare(const std::string& a, const std::string& b, bool ignore) {
  const size_t m = std::min(a.size(), b.size());
  if (!ignore) {
    const int order = std::memcmp(a.data(), b.data(), m);
    if (order != 0) return order;
  } else {
    for (size_t k = 0; k < m; ++k) {
      if (Fold(a[k]) != Fold(b[k])) return Fold(a[k]) - Fold(b[k]);
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Bytes from a small alphabet, so that patterns recur and near misses are
// common, with upper-case twins, the bytes around the letters ('@', '[',
// '`', '{') and bytes with the top bit set.
std::string RandomText(std::mt19937& random, size_t size) {
  static const char alphabet[] = "abAB@[`{z\x80\xe1\xff";
  std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 2);
  std::string text(size, '\0');
  for (char& c : text) c = alphabet[pick(random)];
  return text;
}

std::string FlipCase(std::mt19937& random, std::string text) {
  for (char& c : text) {
    if (random() % 2 == 0) continue;
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
  }
  return text;
}

const size_t kLengths[] = {0,   1,   2,   7,   15,  16,  17,  31,   63,   64,  65,
                           127, 128, 255, 256, 257, 300, 511, 1000, 1024, 4099};

TEST(VXStringScan, SequenceSearchAgreesWithThePlainLoop) {
  std::mt19937 random(7);
  for (size_t length : kLengths) {
    for (int round = 0; round < 40; ++round) {
      const std::string text = RandomText(random, length);
      const size_t patLen = std::uniform_int_distribution<size_t>(0, 20)(random);
      std::string pat;
      if (length >= patLen && round % 2 == 0) {
        const size_t at = std::uniform_int_distribution<size_t>(0, length - patLen)(random);
        pat = FlipCase(random, text.substr(at, patLen));
      } else {
        pat = RandomText(random, patLen);
      }
      const size_t start = std::uniform_int_distribution<size_t>(0, length + 1)(random) / 2;
      const VXString s(text.data(), text.size());
      const std::vector<char> exact(pat.begin(), pat.end());
      for (bool ignore : {false, true}) {
        EXPECT_EQ(s.index(exact.data(), exact.size(), start,
                          ignore ? VXString::IgnoreCase : VXString::Exact),
                  PlainIndex(text, pat, start, ignore))
            << "length " << length << ", pattern length " << patLen << ", start " << start
            << (ignore ? ", ignoring case" : "");
      }
    }
  }
}

TEST(VXStringScan, ComparisonAgreesWithThePlainLoop) {
  std::mt19937 random(11);
  for (size_t length : kLengths) {
    for (int round = 0; round < 40; ++round) {
      const std::string a = RandomText(random, length);
      std::string b = FlipCase(random, a);
      if (length > 0 && round % 3 != 0) {
        // One difference somewhere, possibly the last byte of a block.
        const size_t at = std::uniform_int_distribution<size_t>(0, length - 1)(random);
        b[at] = RandomText(random, 1)[0];
      }
      if (round % 5 == 0) b.resize(std::uniform_int_distribution<size_t>(0, length)(random));
      const VXString s(a.data(), a.size());
      const std::vector<char> exact(b.begin(), b.end());
      for (bool ignore : {false, true}) {
        const int got = s.compareTo(exact.data(), exact.size(),
                                    ignore ? VXString::IgnoreCase : VXString::Exact);
        const int want = PlainCompare(a, b, ignore);
        if (ignore) {
          EXPECT_EQ(got, want) << "length " << length;
        } else {
          EXPECT_EQ((got > 0) - (got < 0), (want > 0) - (want < 0)) << "length " << length;
        }
      }
    }
  }
}

}  // namespace
