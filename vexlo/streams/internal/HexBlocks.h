#ifndef VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
#define VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H

/// \file
/// Internal: the digits of the portable text, and its encoding and decoding
/// for whole blocks at a time with vector code where the build carries it
/// (vexlo/internal/Processor.h): 32 bytes per step with AVX2, then 16 with
/// SSE2. Elsewhere the block functions do nothing and answer 0, and the
/// streams' own byte loops do all the work. Each block function handles a
/// leading run of whole blocks and leaves the rest to the caller; the
/// result is exactly the byte loops'.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "vexlo/internal/Processor.h"

#ifdef VX_VECTOR_SSE2
# include <emmintrin.h>
#endif

namespace vx {
namespace detail {

/// The digits of the portable text, indexed by a nibble value 0 to 15; the
/// one definition of its alphabet, from which every table is derived.
constexpr char kHexDigits[17] = "0123456789ABCDEF";

/// The largest block whose text, two characters per byte, has a size that
/// `size_t` can express; the portable streams refuse larger blocks with
/// `std::bad_array_new_length` before anything else happens.
constexpr size_t kMaxHexBlockSize = SIZE_MAX / 2;

/// Writes the digits of the first `k` bytes at `in` to `out` (2k characters,
/// for each byte the digit of its high nibble first, upper case) and returns
/// `k`: `n` itself from 16 bytes on (the last block overlapping the one
/// before), else 0.
///
///     size_t done = EncodeHexBlocks(in, n, out);   // then encode in[done..n)
size_t EncodeHexBlocks(const unsigned char* in, size_t n, unsigned char* out) noexcept;

/// Returns a number `k` of leading characters of `text` (`length` of them)
/// that are all digits ("0" to "9", "A" to "F"): `length` when all are and
/// there are at least 32, else a multiple of 32, stopping before the first
/// block of 32 that holds another character. The caller looks for the exact
/// place from there.
size_t SkipHexDigitBlocks(const unsigned char* text, size_t length) noexcept;

/// Decodes the digit pairs at `text` (2n characters, all digits: see
/// `SkipHexDigitBlocks`) into bytes at `out`, 16 bytes per block, and
/// returns the number `k` of bytes decoded: `n` itself from 16 bytes on (the
/// last block overlapping the one before), else 0. `out` must not overlap
/// the text.
size_t DecodeHexBlocks(const unsigned char* text, size_t n, unsigned char* out) noexcept;

#ifdef VX_VECTOR_SSE2
/// The SSE2 steps of the portable text, shared by the block code
/// (HexBlocks.cpp) and the value functions below, which are inline so that
/// a stream's put or get of a value of known width is one vector step.
namespace hex {

inline __m128i Load(const unsigned char* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(unsigned char* p, __m128i v) noexcept {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Nibble values 0 to 15 become '0' to '9' and 'A' to 'F'.
inline __m128i Digits(__m128i nibbles) noexcept {
  const __m128i letters =
      _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8(7));
  return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
}

// True in each byte that lies in [low, low + count): shifted by 0x80 - low,
// exactly those bytes land on the lowest `count` signed values.
inline __m128i InRange(__m128i c, char low, char count) noexcept {
  const __m128i shifted = _mm_add_epi8(c, _mm_set1_epi8(static_cast<char>(0x80 - low)));
  return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + count)));
}

inline __m128i AreDigits(__m128i c) noexcept {
  return _mm_or_si128(InRange(c, '0', 10), InRange(c, 'A', 6));
}

// The values of 16 digits: a letter is 7 further from '0' than its value.
inline __m128i Values(__m128i c) noexcept {
  const __m128i letter = _mm_cmpgt_epi8(c, _mm_set1_epi8('9'));
  return _mm_sub_epi8(_mm_sub_epi8(c, _mm_set1_epi8('0')), _mm_and_si128(letter, _mm_set1_epi8(7)));
}

// Eight digit pairs (high digit in the low byte of each 16-bit lane, as the
// text lies in memory) become eight bytes in the low half of each lane.
inline __m128i Pairs(__m128i values) noexcept {
  const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
  return _mm_or_si128(high, _mm_srli_epi16(values, 8));
}

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

}  // namespace hex
#endif

/// Writes the 2n digits of the `n` bytes at `in` (a value: `n` is 1, 2, 4 or
/// 8) to `out` in one vector step and returns true; false, with nothing
/// written, for another `n` or where the build has no vector code.
inline bool EncodeHexValue([[maybe_unused]] const unsigned char* in, [[maybe_unused]] size_t n,
                           [[maybe_unused]] unsigned char* out) noexcept {
#ifdef VX_VECTOR_SSE2
  switch (n) {
    case 1:
      return hex::EncodeValue<1>(in, out);
    case 2:
      return hex::EncodeValue<2>(in, out);
    case 4:
      return hex::EncodeValue<4>(in, out);
    case 8:
      return hex::EncodeValue<8>(in, out);
  }
#endif
  return false;
}

/// Decodes the 2n characters at `text` (a value: `n` is 1, 2, 4 or 8) into
/// `n` bytes at `out` in one vector step and returns true when all are
/// digits; false, with `out` untouched, when one is not, for another `n`, or
/// where the build has no vector code.
inline bool DecodeHexValue([[maybe_unused]] const unsigned char* text, [[maybe_unused]] size_t n,
                           [[maybe_unused]] unsigned char* out) noexcept {
#ifdef VX_VECTOR_SSE2
  switch (n) {
    case 1:
      return hex::DecodeValue<1>(text, out);
    case 2:
      return hex::DecodeValue<2>(text, out);
    case 4:
      return hex::DecodeValue<4>(text, out);
    case 8:
      return hex::DecodeValue<8>(text, out);
  }
#endif
  return false;
}

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_HEXBLOCKS_H
