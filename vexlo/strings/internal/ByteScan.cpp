#include "vexlo/strings/internal/ByteScan.h"

#if !defined(VEXLO_NO_VECTOR_CODE) && (defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64))
# include <emmintrin.h>
# define VX_BYTESCAN_SSE2 1
#endif

namespace vx {
namespace detail {

namespace {

#ifdef VX_BYTESCAN_SSE2
__m128i Load(const char* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Whether the 64 bytes at `a` and at `b` are equal, in one test.
bool Equal64(const char* a, const char* b) noexcept {
  const __m128i same = _mm_and_si128(
      _mm_and_si128(_mm_cmpeq_epi8(Load(a), Load(b)), _mm_cmpeq_epi8(Load(a + 16), Load(b + 16))),
      _mm_and_si128(_mm_cmpeq_epi8(Load(a + 32), Load(b + 32)),
                    _mm_cmpeq_epi8(Load(a + 48), Load(b + 48))));
  return _mm_movemask_epi8(same) == 0xFFFF;
}

// a-z moved up by 0x80 - 'a' land on -128 to -103 as signed bytes, and only
// they do, so one signed compare finds the lower-case letters.
__m128i AsciiUpper(__m128i x) noexcept {
  const __m128i shifted = _mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(0x80 - 'a')));
  const __m128i lower = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 26)));
  return _mm_sub_epi8(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}

size_t FirstSetBit(unsigned mask) noexcept {
  size_t i = 0;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++i;
  }
  return i;
}
#endif

}  // namespace

size_t FindBytePair(const char* text, size_t from, size_t last, char a, char b,
                    size_t span) noexcept {
  size_t i = from;
#ifdef VX_BYTESCAN_SSE2
  const __m128i wantA = _mm_set1_epi8(a);
  const __m128i wantB = _mm_set1_epi8(b);
  for (; last >= 15 && i <= last - 15; i += 16) {
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(Load(text + i), wantA),
                                       _mm_cmpeq_epi8(Load(text + i + span), wantB));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + FirstSetBit(mask);
  }
#endif
  for (; i <= last; ++i) {
    if (text[i] == a && text[i + span] == b) return i;
  }
  return kNoPosition;
}

size_t FindBytePairAsciiUpper(const char* text, size_t from, size_t last, char a, char b,
                              size_t span) noexcept {
  size_t i = from;
#ifdef VX_BYTESCAN_SSE2
  const __m128i wantA = _mm_set1_epi8(a);
  const __m128i wantB = _mm_set1_epi8(b);
  for (; last >= 15 && i <= last - 15; i += 16) {
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(AsciiUpper(Load(text + i)), wantA),
                                       _mm_cmpeq_epi8(AsciiUpper(Load(text + i + span)), wantB));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + FirstSetBit(mask);
  }
#endif
  const auto foldedA = static_cast<unsigned char>(a);
  const auto foldedB = static_cast<unsigned char>(b);
  for (; i <= last; ++i) {
    if (AsciiUpperByte(text[i]) == foldedA && AsciiUpperByte(text[i + span]) == foldedB) return i;
  }
  return kNoPosition;
}

size_t EqualPrefix(const char* a, const char* b, size_t n) noexcept {
  size_t k = 0;
#ifdef VX_BYTESCAN_SSE2
  for (; n >= 64 && k <= n - 64; k += 64) {
    if (!Equal64(a + k, b + k)) break;
  }
  for (; n >= 16 && k <= n - 16; k += 16) {
    const auto same =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(Load(a + k), Load(b + k))));
    if (same != 0xFFFF) return k + FirstSetBit(~same);
  }
#endif
  while (k < n && a[k] == b[k]) ++k;
  return k;
}

size_t AsciiUpperEqualPrefix(const char* a, const char* b, size_t n) noexcept {
  size_t k = 0;
#ifdef VX_BYTESCAN_SSE2
  // Stretches of 64 equal bytes pass with one test; a stretch that differs
  // is looked at again 16 bytes at a time, folded.
  for (; n >= 64 && k <= n - 64; k += 64) {
    if (Equal64(a + k, b + k)) continue;
    for (size_t end = k + 64; k < end; k += 16) {
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(AsciiUpper(Load(a + k)), AsciiUpper(Load(b + k)))) !=
          0xFFFF) {
        return k;
      }
    }
    k -= 64;
  }
  for (; n >= 16 && k <= n - 16; k += 16) {
    const __m128i x = Load(a + k);
    const __m128i y = Load(b + k);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) == 0xFFFF) continue;
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(AsciiUpper(x), AsciiUpper(y))) != 0xFFFF) return k;
  }
#endif
  while (k < n && AsciiUpperByte(a[k]) == AsciiUpperByte(b[k])) ++k;
  return k;
}

}  // namespace detail
}  // namespace vx
