// The block scans under search and comparison, every variant this processor
// runs (portable, SSE2, AVX2) against a byte-by-byte loop, over generated
// lengths, offsets and positions. The scans are internal: this program
// builds its own copy of them (tests/CMakeLists.txt).
#include "vexlo/strings/internal/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/Cases.h"

namespace {

using vx::detail::AsciiUpperByte;
using vx::detail::kNoPosition;
using vx::detail::ScanKernels;

// Bytes around every edge of the ASCII folding: the letters' ends, their
// neighbours, and bytes whose low seven bits are letters.
const unsigned char kAlphabet[] = {'a', 'A',  'z',  'Z',  'm',  'M',  '@',  '[',  '`',
                                   '{', 0x00, 0x80, 0xC1, 0xE1, 0xDA, 0xFA, 0xFF, 0x7F};

unsigned char Fold(bool fold, char c) {
  return fold ? AsciiUpperByte(c) : static_cast<unsigned char>(c);
}

size_t ReferencePrefix(bool fold, const char* a, const char* b, size_t n) {
  size_t k = 0;
  while (k < n && Fold(fold, a[k]) == Fold(fold, b[k])) ++k;
  return k;
}

size_t ReferencePair(bool fold, const char* text, size_t from, size_t last, char a, char b,
                     size_t span) {
  for (size_t i = from; i <= last; ++i) {
    if (Fold(fold, text[i]) == static_cast<unsigned char>(a) &&
        Fold(fold, text[i + span]) == static_cast<unsigned char>(b)) {
      return i;
    }
  }
  return kNoPosition;
}

// What the string classes call: the short inline paths and the chosen variant.
const ScanKernels kEntryPoints = {"entry points", vx::detail::FindBytePair,
                                  vx::detail::FindBytePairAsciiUpper, vx::detail::EqualPrefix,
                                  vx::detail::AsciiUpperEqualPrefix};

const std::vector<size_t> kLengths = vxtest::Lengths(200, {255, 256, 257, 511, 1000, 4099});

std::vector<const ScanKernels*> Variants() {
  std::vector<const ScanKernels*> all{&kEntryPoints};
  for (size_t i = 0; i < vx::detail::ScanKernelCount(); ++i) {
    all.push_back(&vx::detail::ScanKernelsAt(i));
  }
  return all;
}

// Two texts that agree (exactly, or only once folded) up to a chosen
// position and differ there, at every offset from the start of a buffer.
TEST(ByteScan, EqualPrefixesAgreeWithTheByteLoop) {
  std::mt19937 random(7);
  const auto pick = [&] { return static_cast<char>(kAlphabet[random() % sizeof kAlphabet]); };
  for (const ScanKernels* kernels : Variants()) {
    for (size_t n : kLengths) {
      for (size_t offset = 0; offset < 3; ++offset) {
        const size_t at = n == 0 ? 0 : random() % (n + 1);
        std::string a(offset, '-'), b(offset, '+');
        for (size_t i = 0; i < n; ++i) {
          const char c = pick();
          a += c;
          // Case twins agree once folded; past `at`, anything goes.
          const bool twin = random() % 2 == 0 && AsciiUpperByte(c) != static_cast<unsigned char>(c);
          b += i > at ? pick() : twin ? static_cast<char>(AsciiUpperByte(c)) : c;
        }
        // A byte one bit away: another letter, the other case, a byte of
        // the upper half with the same low seven bits...
        const char flips[] = {0x01, 0x20, static_cast<char>(0x80), static_cast<char>(0xA0)};
        if (at < n) b[offset + at] = static_cast<char>(a[offset + at] ^ flips[random() % 4]);
        for (bool fold : {false, true}) {
          const char* const x = a.data() + offset;
          const char* const y = b.data() + offset;
          const size_t got =
              fold ? kernels->asciiUpperEqualPrefix(x, y, n) : kernels->equalPrefix(x, y, n);
          ASSERT_EQ(got, ReferencePrefix(fold, x, y, n))
              << kernels->name << (fold ? " folded" : " exact") << ", length " << n << ", offset "
              << offset << ", difference planted at " << at;
        }
      }
    }
  }
}

// Candidates for a pattern's first and last byte, from every start, with
// spans short and long, in texts dense with near misses.
TEST(ByteScan, BytePairSearchesAgreeWithTheByteLoop) {
  std::mt19937 random(11);
  for (const ScanKernels* kernels : Variants()) {
    for (size_t n : kLengths) {
      if (n == 0) continue;
      std::string text;
      for (size_t i = 0; i < n; ++i) text += static_cast<char>(kAlphabet[random() % 6]);
      for (size_t span : {size_t{0}, size_t{1}, size_t{7}, n / 2, n - 1}) {
        if (span >= n) continue;
        const size_t last = n - 1 - span;
        const size_t from = random() % (last + 1);
        const char a = static_cast<char>(kAlphabet[random() % 4]);
        const char b = static_cast<char>(kAlphabet[random() % 4]);
        for (bool fold : {false, true}) {
          const char wantA = fold ? static_cast<char>(AsciiUpperByte(a)) : a;
          const char wantB = fold ? static_cast<char>(AsciiUpperByte(b)) : b;
          const size_t got =
              fold ? kernels->findBytePairAsciiUpper(text.data(), from, last, wantA, wantB, span)
                   : kernels->findBytePair(text.data(), from, last, wantA, wantB, span);
          ASSERT_EQ(got, ReferencePair(fold, text.data(), from, last, wantA, wantB, span))
              << kernels->name << (fold ? " folded" : " exact") << ", length " << n << ", span "
              << span << ", from " << from << ", bytes " << int{wantA} << " " << int{wantB};
        }
      }
    }
  }
}

// One byte, planted at a chosen position and perhaps again after it, or
// nowhere, in texts of the other bytes; with the block edges at 16 and 32.
TEST(ByteScan, ByteSearchAgreesWithTheByteLoop) {
  std::mt19937 random(13);
  for (size_t n : kLengths) {
    for (size_t offset = 0; offset < 3; ++offset) {
      const char needle = static_cast<char>(kAlphabet[random() % sizeof kAlphabet]);
      std::string text(offset, needle);
      for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<char>(kAlphabet[random() % sizeof kAlphabet]);
        text += c != needle ? c : '-';
      }
      const size_t at = random() % (n + 1);  // n: nowhere
      if (at < n) text[offset + at] = needle;
      if (at + 1 < n) text[offset + at + 1 + random() % (n - at - 1)] = needle;
      const char* const p = text.data() + offset;
      size_t want = 0;
      while (want < n && p[want] != needle) ++want;
      ASSERT_EQ(vx::detail::FindByte(p, n, needle), want < n ? want : kNoPosition)
          << "length " << n << ", offset " << offset << ", planted at " << at;
    }
  }
}

}  // namespace
