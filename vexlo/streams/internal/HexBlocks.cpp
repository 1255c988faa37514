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

__m128i AreDigits(__m128i c) noexcept {
  return _mm_or_si128(InRange(c, '0', 10), InRange(c, 'A', 6));
}

// The values of 16 digits: a letter is 7 further from '0' than its value.
__m128i Values(__m128i c) noexcept {
  const __m128i letter = _mm_cmpgt_epi8(c, _mm_set1_epi8('9'));
  return _mm_sub_epi8(_mm_sub_epi8(c, _mm_set1_epi8('0')), _mm_and_si128(letter, _mm_set1_epi8(7)));
}

// Eight digit pairs (high digit in the low byte of each 16-bit lane, as the
// text lies in memory) become eight bytes in the low half of each lane.
__m128i Pairs(__m128i values) noexcept {
  const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
  return _mm_or_si128(high, _mm_srli_epi16(values, 8));
}

# ifdef VX_VECTOR_AVX2

VX_TARGET_AVX2 __m256i Load32(const unsigned char* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VX_TARGET_AVX2 void Store32(unsigned char* p, __m256i v) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// The AVX2 forms of Digits, InRange/AreDigits and Values above.
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

namespace {

// The `N` (1, 2, 4, 8 or 16) bytes at `p` in the low lanes, zeros above;
// never a byte beyond them. Each size is one load of its own width.
template <size_t N>
__m128i LoadPart(const unsigned char* p) noexcept {
  if constexpr (N == 16) {
    return Load(p);
  } else if constexpr (N == 8) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  } else {
    std::conditional_t<N == 4, std::uint32_t,
                       std::conditional_t<N == 2, std::uint16_t, std::uint8_t>>
        part;
    std::memcpy(&part, p, N);
    return _mm_cvtsi32_si128(static_cast<int>(part));
  }
}

// The low `N` (1, 2, 4, 8 or 16) lanes of `v` to the bytes at `p`.
template <size_t N>
void StorePart(unsigned char* p, __m128i v) noexcept {
  if constexpr (N == 16) {
    Store(p, v);
  } else if constexpr (N == 8) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  } else {
    const auto word = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
    std::conditional_t<N == 4, std::uint32_t,
                       std::conditional_t<N == 2, std::uint16_t, std::uint8_t>>
        part = static_cast<decltype(part)>(word);
    std::memcpy(p, &part, N);
  }
}

template <size_t N>
bool EncodeValue(const unsigned char* in, unsigned char* out) noexcept {
  const __m128i low = _mm_set1_epi8(0x0F);
  const __m128i bytes = LoadPart<N>(in);
  const __m128i high = Digits(_mm_and_si128(_mm_srli_epi16(bytes, 4), low));
  StorePart<2 * N>(out, _mm_unpacklo_epi8(high, Digits(_mm_and_si128(bytes, low))));
  return true;
}

// The lanes above the value's characters hold zeros, which are no digits:
// only the value's own lanes are asked.
template <size_t N>
bool DecodeValue(const unsigned char* text, unsigned char* out) noexcept {
  const __m128i c = LoadPart<2 * N>(text);
  constexpr unsigned kLanes = (1u << (2 * N)) - 1;
  if ((static_cast<unsigned>(_mm_movemask_epi8(AreDigits(c))) & kLanes) != kLanes) return false;
  StorePart<N>(out, _mm_packus_epi16(Pairs(Values(c)), _mm_setzero_si128()));
  return true;
}

}  // namespace

bool EncodeHexValue(const unsigned char* in, size_t n, unsigned char* out) noexcept {
  switch (n) {
    case 1:
      return EncodeValue<1>(in, out);
    case 2:
      return EncodeValue<2>(in, out);
    case 4:
      return EncodeValue<4>(in, out);
    case 8:
      return EncodeValue<8>(in, out);
    default:
      return false;
  }
}

bool DecodeHexValue(const unsigned char* text, size_t n, unsigned char* out) noexcept {
  switch (n) {
    case 1:
      return DecodeValue<1>(text, out);
    case 2:
      return DecodeValue<2>(text, out);
    case 4:
      return DecodeValue<4>(text, out);
    case 8:
      return DecodeValue<8>(text, out);
    default:
      return false;
  }
}

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

bool EncodeHexValue(const unsigned char*, size_t, unsigned char*) noexcept { return false; }

bool DecodeHexValue(const unsigned char*, size_t, unsigned char*) noexcept { return false; }

#endif

}  // namespace detail
}  // namespace vx
