#include "vexlo/streams/internal/HexBlocks.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "vexlo/internal/Processor.h"

#ifdef VX_VECTOR_SSE2
# include <emmintrin.h>
#endif
#ifdef VX_VECTOR_AVX2
# include <immintrin.h>
#endif

namespace vx {
namespace detail {

// The vector code computes the digits instead of looking them up.
static_assert(kHexDigits[0] == '0' && kHexDigits[9] == '9' && kHexDigits[10] == 'A' &&
                  kHexDigits[15] == 'F' && 'A' - '0' - 10 == 7,
              "digits are '0' to '9' then 'A' to 'F'");

#ifdef VX_VECTOR_SSE2

namespace {

using namespace hex;

# ifdef VX_VECTOR_AVX2

VX_TARGET_AVX2 __m256i Load32(const unsigned char* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VX_TARGET_AVX2 void Store32(unsigned char* p, __m256i v) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// The AVX2 forms of Digits, InRange/AreDigits and Values (HexBlocks.h).
VX_TARGET_AVX2 __m256i Digits32(__m256i nibbles) noexcept {
  const __m256i letters =
      _mm256_and_si256(_mm256_cmpgt_epi8(nibbles, _mm256_set1_epi8(9)), _mm256_set1_epi8(7));
  return _mm256_add_epi8(_mm256_add_epi8(nibbles, _mm256_set1_epi8('0')), letters);
}

VX_TARGET_AVX2 __m256i InRange32(__m256i c, char low, char count) noexcept {
  const __m256i shifted = _mm256_add_epi8(c, _mm256_set1_epi8(static_cast<char>(0x80 - low)));
  return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + count)), shifted);
}

VX_TARGET_AVX2 __m256i AreDigits32(__m256i c) noexcept {
  return _mm256_or_si256(InRange32(c, '0', 10), InRange32(c, 'A', 6));
}

VX_TARGET_AVX2 __m256i Values32(__m256i c) noexcept {
  const __m256i letter = _mm256_cmpgt_epi8(c, _mm256_set1_epi8('9'));
  return _mm256_sub_epi8(_mm256_sub_epi8(c, _mm256_set1_epi8('0')),
                         _mm256_and_si256(letter, _mm256_set1_epi8(7)));
}

// 32 bytes per step; the unpacks work within 128-bit halves, so the two
// results hold bytes 0-7 and 16-23, then 8-15 and 24-31, and are regrouped.
VX_TARGET_AVX2 size_t EncodeAvx2(const unsigned char* in, size_t n, unsigned char* out) noexcept {
  size_t i = 0;
  const __m256i low = _mm256_set1_epi8(0x0F);
  for (; n >= 32 && i <= n - 32; i += 32, out += 64) {
    const __m256i bytes = Load32(in + i);
    const __m256i high = Digits32(_mm256_and_si256(_mm256_srli_epi16(bytes, 4), low));
    const __m256i lowDigits = Digits32(_mm256_and_si256(bytes, low));
    const __m256i first = _mm256_unpacklo_epi8(high, lowDigits);
    const __m256i second = _mm256_unpackhi_epi8(high, lowDigits);
    Store32(out, _mm256_permute2x128_si256(first, second, 0x20));
    Store32(out + 32, _mm256_permute2x128_si256(first, second, 0x31));
  }
  return i;
}

VX_TARGET_AVX2 size_t SkipAvx2(const unsigned char* text, size_t length) noexcept {
  size_t i = 0;
  for (; length >= 64 && i <= length - 64; i += 64) {
    const __m256i valid =
        _mm256_and_si256(AreDigits32(Load32(text + i)), AreDigits32(Load32(text + i + 32)));
    if (_mm256_movemask_epi8(valid) != -1) break;
  }
  return i;
}

// Each 16-bit lane's two digits, high digit in its low byte, become
// high * 16 + low in one multiply-add; the packing works within 128-bit
// halves (bytes 0-7, 16-23, 8-15, 24-31), so the 64-bit quarters are
// regrouped.
VX_TARGET_AVX2 size_t DecodeAvx2(const unsigned char* text, size_t n, unsigned char* out) noexcept {
  size_t i = 0;
  const __m256i weights = _mm256_set1_epi16(0x0110);
  for (; n >= 32 && i <= n - 32; i += 32) {
    const __m256i first = _mm256_maddubs_epi16(Values32(Load32(text + 2 * i)), weights);
    const __m256i second = _mm256_maddubs_epi16(Values32(Load32(text + 2 * i + 32)), weights);
    Store32(out + i, _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8));
  }
  return i;
}

# endif  // VX_VECTOR_AVX2

}  // namespace

// With AVX2 the wide loop goes first and the 16-byte loop takes at most one
// block after it; without, the 16-byte loop does all.
// Each of the three ends with the last whole block of the input taken once
// more, overlapping the blocks before it, when a rest is left: the blocks it
// shares with them give the same result again, and the rest needs no byte
// loop.

namespace {

void EncodeSixteen(const unsigned char* in, unsigned char* out) noexcept {
  const __m128i low = _mm_set1_epi8(0x0F);
  const __m128i bytes = Load(in);
  const __m128i high = Digits(_mm_and_si128(_mm_srli_epi16(bytes, 4), low));
  const __m128i lowDigits = Digits(_mm_and_si128(bytes, low));
  Store(out, _mm_unpacklo_epi8(high, lowDigits));
  Store(out + 16, _mm_unpackhi_epi8(high, lowDigits));
}

bool AreThirtyTwoDigits(const unsigned char* text) noexcept {
  const __m128i valid = _mm_and_si128(AreDigits(Load(text)), AreDigits(Load(text + 16)));
  return _mm_movemask_epi8(valid) == 0xFFFF;
}

void DecodeSixteen(const unsigned char* text, unsigned char* out) noexcept {
  Store(out, _mm_packus_epi16(Pairs(Values(Load(text))), Pairs(Values(Load(text + 16)))));
}

}  // namespace

size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept {
  size_t i = 0;
# ifdef VX_VECTOR_AVX2
  if (ProcessorHasAvx2()) i = EncodeAvx2(in, n, out);
# endif
  for (; n >= 16 && i <= n - 16; i += 16) EncodeSixteen(in + i, out + 2 * i);
  if (n >= 16 && i != n) EncodeSixteen(in + n - 16, out + 2 * (n - 16)), i = n;
  return i;
}

size_t SkipHexDigitBlocks(const unsigned char* text, size_t length) noexcept {
  size_t i = 0;
# ifdef VX_VECTOR_AVX2
  if (ProcessorHasAvx2()) i = SkipAvx2(text, length);
# endif
  for (; length >= 32 && i <= length - 32 && AreThirtyTwoDigits(text + i);) i += 32;
  if (length >= 32 && i != length && length - i < 32 && AreThirtyTwoDigits(text + length - 32)) {
    i = length;
  }
  return i;
}

size_t DecodeHexBlocks(const unsigned char* text, size_t n, unsigned char* out) noexcept {
  size_t i = 0;
# ifdef VX_VECTOR_AVX2
  if (ProcessorHasAvx2()) i = DecodeAvx2(text, n, out);
# endif
  for (; n >= 16 && i <= n - 16; i += 16) DecodeSixteen(text + 2 * i, out + i);
  if (n >= 16 && i != n) DecodeSixteen(text + 2 * (n - 16), out + n - 16), i = n;
  return i;
}

#else

size_t EncodeHexBlocks(const unsigned char*, size_t, unsigned char*) noexcept { return 0; }

size_t SkipHexDigitBlocks(const unsigned char*, size_t) noexcept { return 0; }

size_t DecodeHexBlocks(const unsigned char*, size_t, unsigned char*) noexcept { return 0; }

#endif

}  // namespace detail
}  // namespace vx
