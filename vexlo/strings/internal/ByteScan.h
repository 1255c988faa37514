#ifndef VEXLO_STRINGS_INTERNAL_BYTESCAN_H
#define VEXLO_STRINGS_INTERNAL_BYTESCAN_H

/// \file
/// Internal: the block scans under the string search and comparison. Each
/// one answers exactly what a plain byte-by-byte loop answers. There are up
/// to three variants of each, chosen once per process at the first long
/// scan: AVX2 (32 positions per step), SSE2 (16 positions) and portable code
/// (8 bytes per step where that is possible); which vector code a build
/// carries and may run is decided in vexlo/internal/Processor.h. Short texts
/// skip the choice: the comparisons of 8 to 32 bytes are inline here (two
/// overlapping words or SSE2 blocks), other short scans take the portable
/// code.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vexlo/internal/ByteOrder.h"
#include "vexlo/internal/Processor.h"

#ifdef VX_VECTOR_SSE2
# include <emmintrin.h>
#endif

namespace vx {
namespace detail {

/// What the scans answer when they find nothing: all bits set, like `NPOS`.
constexpr size_t kNoPosition = SIZE_MAX;

/// `c` folded to ASCII upper case: a-z become A-Z, every other byte stays.
inline unsigned char AsciiUpperByte(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return static_cast<unsigned char>(u - 'a') < 26 ? static_cast<unsigned char>(u - 0x20) : u;
}

/// The first position `i` in [`from`, `last`] at which `text[i] == a` and
/// `text[i + span] == b`, or `kNoPosition` when there is none. Reads the bytes
/// `text[from]` to `text[last + span]`, nothing beyond. Prepares nothing.
///
///     // Candidates for the pattern "key": first byte 'k', last byte 'y'.
///     size_t i = FindBytePair(text, 0, length - 3, 'k', 'y', 2);
size_t FindBytePair(const char* text, size_t from, size_t last, char a, char b,
                    size_t span) noexcept;

/// As `FindBytePair`, with each text byte folded to ASCII upper case before
/// it is compared. `a` and `b` are given folded.
size_t FindBytePairAsciiUpper(const char* text, size_t from, size_t last, char a, char b,
                              size_t span) noexcept;

// Eight bytes as one 64-bit word, where the compiler can count the zero bits
// of a word.
#if defined(__GNUC__) || defined(__clang__)
# define VX_BYTESCAN_WORDS 1

inline std::uint64_t Load64(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

/// The position, in memory order, of the first byte of `x` (not 0) that is
/// not 0.
inline size_t FirstNonZeroByte(std::uint64_t x) noexcept {
  if constexpr (kHostLittleEndian) return static_cast<size_t>(__builtin_ctzll(x)) / 8;
  return static_cast<size_t>(__builtin_clzll(x)) / 8;
}

/// Each byte of `x` folded to ASCII upper case. The low seven bits of each
/// byte, raised by 0x80 - 'a' and by 0x80 - 'z' - 1, carry into the byte's
/// top bit exactly when they are at least 'a' and above 'z'; no sum leaves
/// its byte. Bytes with the top bit set are no letters.
inline std::uint64_t AsciiUpper64(std::uint64_t x) noexcept {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  const std::uint64_t low7 = x & ~kHighBits;
  const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'a');
  const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'z' - 1);
  const std::uint64_t lower = atLeastA & ~aboveZ & ~x & kHighBits;
  return x - (lower >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}

/// The first position at which 8 to 16 bytes at `a` and `b` differ (folded
/// first with `kFold`), or `n`: the first and the last 8 bytes, overlapping.
template <bool kFold>
inline size_t ShortPrefix(const char* a, const char* b, size_t n) noexcept {
  const auto word = [](const char* p) { return kFold ? AsciiUpper64(Load64(p)) : Load64(p); };
  const std::uint64_t head = word(a) ^ word(b);
  if (head != 0) return FirstNonZeroByte(head);
  const std::uint64_t tail = word(a + n - 8) ^ word(b + n - 8);
  return tail != 0 ? n - 8 + FirstNonZeroByte(tail) : n;
}
#endif

#ifdef VX_VECTOR_SSE2
/// Each byte of `x` folded to ASCII upper case: a-z moved up by 0x80 - 'a'
/// land on -128 to -103 as signed bytes, and only they do, so one signed
/// compare finds the lower-case letters.
inline __m128i AsciiUpper128(__m128i x) noexcept {
  const __m128i shifted = _mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
  const __m128i lower = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_sub_epi8(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}

/// Not 0 in each byte where `x` and `y` differ once folded to ASCII upper
/// case. Two bytes that fold alike are equal, or differ in bit 0x20 alone
/// where one of them with that bit set is a-z; so `x ^ y` is kept but for
/// bit 0x20 of such bytes, found as in `AsciiUpper128`. One fold, not two.
inline __m128i AsciiUpperDiffer128(__m128i x, __m128i y) noexcept {
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i shifted =
      _mm_add_epi8(_mm_or_si128(x, caseBit), _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
  const __m128i letter = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_andnot_si128(_mm_and_si128(letter, caseBit), _mm_xor_si128(x, y));
}

/// A bit per byte of the 16 at `a` and `b`: set where they agree (folded
/// first with `kFold`).
template <bool kFold>
inline unsigned Agreeing16(const char* a, const char* b) noexcept {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
  const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
  const __m128i same =
      kFold ? _mm_cmpeq_epi8(AsciiUpperDiffer128(x, y), _mm_setzero_si128()) : _mm_cmpeq_epi8(x, y);
  return static_cast<unsigned>(_mm_movemask_epi8(same));
}

/// As `ShortPrefix`, for 16 to 32 bytes: the first and the last 16.
template <bool kFold>
inline size_t MidPrefix(const char* a, const char* b, size_t n) noexcept {
  unsigned same = Agreeing16<kFold>(a, b);
  if (same != 0xFFFF) return static_cast<size_t>(__builtin_ctz(~same));
  if (n == 16) return n;
  same = Agreeing16<kFold>(a + n - 16, b + n - 16);
  return same != 0xFFFF ? n - 16 + static_cast<size_t>(__builtin_ctz(~same)) : n;
}
#endif

/// The first position of `c` in the `n` bytes at `text`, or `kNoPosition`.
/// From 16 to 32 bytes without a call (two overlapping blocks); otherwise
/// the C library's search.
inline size_t FindByte(const char* text, size_t n, char c) noexcept {
#ifdef VX_VECTOR_SSE2
  if (n - 16 <= 16) {
    const __m128i needle = _mm_set1_epi8(c);
    const auto hitsAt = [needle](const char* p) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, needle)));
    };
    unsigned hits = hitsAt(text);
    if (hits != 0) return static_cast<size_t>(__builtin_ctz(hits));
    hits = hitsAt(text + n - 16);
    return hits != 0 ? n - 16 + static_cast<size_t>(__builtin_ctz(hits)) : kNoPosition;
  }
#endif
  const void* const hit = n != 0 ? std::memchr(text, c, n) : nullptr;
  return hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - text) : kNoPosition;
}

/// `EqualPrefix` and `AsciiUpperEqualPrefix` for any length, out of line.
size_t LongEqualPrefix(const char* a, const char* b, size_t n) noexcept;
size_t LongAsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept;

/// The first position at which the `n` bytes at `a` and `b` differ, or `n`.
/// From 8 to 32 bytes without a call.
inline size_t EqualPrefix(const char* a, const char* b, size_t n) noexcept {
#ifdef VX_VECTOR_SSE2
  if (n - 16 <= 16) return MidPrefix<false>(a, b, n);
#endif
#ifdef VX_BYTESCAN_WORDS
  if (n - 8 <= 8) return ShortPrefix<false>(a, b, n);
#endif
  return LongEqualPrefix(a, b, n);
}

/// The first position at which the `n` bytes at `a` and `b` differ once both
/// are folded to ASCII upper case, or `n`. From 8 to 32 bytes without a call.
inline size_t AsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept {
#ifdef VX_VECTOR_SSE2
  if (n - 16 <= 16) return MidPrefix<true>(a, b, n);
#endif
#ifdef VX_BYTESCAN_WORDS
  if (n - 8 <= 8) return ShortPrefix<true>(a, b, n);
#endif
  return LongAsciiUpperEqualPrefix(a, b, n);
}

/// One variant of the four scans above, each for any length.
struct ScanKernels {
  const char* name;
  size_t (*findBytePair)(const char*, size_t, size_t, char, char, size_t) noexcept;
  size_t (*findBytePairAsciiUpper)(const char*, size_t, size_t, char, char, size_t) noexcept;
  size_t (*equalPrefix)(const char*, const char*, size_t) noexcept;
  size_t (*asciiUpperEqualPrefix)(const char*, const char*, size_t) noexcept;
};

/// How many variants this build offers on this processor: the portable one
/// first, then the vector ones it can run. For the tests, which hold every
/// variant against the portable one.
size_t ScanKernelCount() noexcept;
/// The variant `i`, 0 <= i < ScanKernelCount().
const ScanKernels& ScanKernelsAt(size_t i) noexcept;

#ifdef VX_VECTOR_SSE2
/// The 16-byte variant (ByteScanX86.cpp).
extern const ScanKernels kSse2Kernels;
#endif
#ifdef VX_VECTOR_AVX2
/// The 32-byte variant (ByteScanX86.cpp); only for processors with AVX2.
extern const ScanKernels kAvx2Kernels;
#endif

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STRINGS_INTERNAL_BYTESCAN_H
