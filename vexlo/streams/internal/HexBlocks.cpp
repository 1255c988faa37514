#include "vexlo/streams/internal/HexBlocks.h"

#include "vexlo/streams/CPortableOutputStream.h"

#if !defined(VEXLO_NO_VECTOR_CODE) && (defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64))
# include <emmintrin.h>
# define VX_HEXBLOCKS_SSE2 1
#endif

namespace vx {
namespace detail {

// The vector code computes the digits instead of looking them up.
static_assert(CPortableOutputStream::HexDigits[0] == '0' &&
                  CPortableOutputStream::HexDigits[9] == '9' &&
                  CPortableOutputStream::HexDigits[10] == 'A' &&
                  CPortableOutputStream::HexDigits[15] == 'F' && 'A' - '0' - 10 == 7,
              "digits are '0' to '9' then 'A' to 'F'");

#ifdef VX_HEXBLOCKS_SSE2

namespace {

__m128i Load(const unsigned char* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void Store(unsigned char* p, __m128i v) noexcept {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Nibble values 0 to 15 become '0' to '9' and 'A' to 'F'.
__m128i Digits(__m128i nibbles) noexcept {
  const __m128i letters =
      _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8(7));
  return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
}

// True in each byte that lies in [low, low + count): shifted by 0x80 - low,
// exactly those bytes land on the lowest `count` signed values.
__m128i InRange(__m128i c, char low, char count) noexcept {
  const __m128i shifted = _mm_add_epi8(c, _mm_set1_epi8(static_cast<char>(0x80 - low)));
  return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + count)));
}

// The values of 16 digits, and in `valid` all ones where a character is one.
__m128i Values(__m128i c, __m128i& valid) noexcept {
  const __m128i decimal = InRange(c, '0', 10);
  const __m128i letter = InRange(c, 'A', 6);
  valid = _mm_or_si128(decimal, letter);
  return _mm_sub_epi8(_mm_sub_epi8(c, _mm_set1_epi8('0')), _mm_and_si128(letter, _mm_set1_epi8(7)));
}

// Eight digit pairs (high digit in the low byte of each 16-bit lane, as the
// text lies in memory) become eight bytes in the low half of each lane.
__m128i Pairs(__m128i values) noexcept {
  const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
  return _mm_or_si128(high, _mm_srli_epi16(values, 8));
}

}  // namespace

size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept {
  size_t i = 0;
  const __m128i low = _mm_set1_epi8(0x0F);
  for (; n >= 16 && i <= n - 16; i += 16, out += 32) {
    const __m128i bytes = Load(in + i);
    const __m128i high = Digits(_mm_and_si128(_mm_srli_epi16(bytes, 4), low));
    const __m128i lowDigits = Digits(_mm_and_si128(bytes, low));
    Store(out, _mm_unpacklo_epi8(high, lowDigits));
    Store(out + 16, _mm_unpackhi_epi8(high, lowDigits));
  }
  return i;
}

size_t DecodeHexBlocks(unsigned char* text, size_t n) noexcept {
  size_t i = 0;
  for (; n >= 16 && i <= n - 16; i += 16) {
    // Both loads come before the store, which lands on characters already
    // decoded (bytes i to i + 15 lie below character 2i for every i > 0).
    __m128i valid0, valid1;
    const __m128i values0 = Values(Load(text + 2 * i), valid0);
    const __m128i values1 = Values(Load(text + 2 * i + 16), valid1);
    if (_mm_movemask_epi8(_mm_and_si128(valid0, valid1)) != 0xFFFF) break;
    Store(text + i, _mm_packus_epi16(Pairs(values0), Pairs(values1)));
  }
  return i;
}

#else

size_t EncodeHexBlocks(const unsigned char*, size_t, unsigned char*) noexcept { return 0; }

size_t DecodeHexBlocks(unsigned char*, size_t) noexcept { return 0; }

#endif

}  // namespace detail
}  // namespace vx
