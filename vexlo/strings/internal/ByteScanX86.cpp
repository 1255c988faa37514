// The SSE2 and AVX2 variants of the block scans. The algorithms are in
// ByteScanKernels.inc, once; here each width supplies its vector operations.
#include "vexlo/strings/internal/ByteScan.h"

#ifdef VX_VECTOR_SSE2
# ifdef VX_VECTOR_AVX2
#  include <immintrin.h>
# endif

namespace vx {
namespace detail {

namespace sse2 {
# define VX_KERNEL_TARGET

using V = __m128i;
using Mask = unsigned;
constexpr size_t kWidth = 16;
constexpr Mask kAllSet = 0xFFFF;

V Load(const char* p) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
V Splat(char c) noexcept { return _mm_set1_epi8(c); }
V Differ(V x, V y) noexcept { return _mm_xor_si128(x, y); }
V AsciiUpperDiffer(V x, V y) noexcept { return AsciiUpperDiffer128(x, y); }
Mask Zeros(V d) noexcept {
  return static_cast<Mask>(_mm_movemask_epi8(_mm_cmpeq_epi8(d, _mm_setzero_si128())));
}
bool AllZero4(V d0, V d1, V d2, V d3) noexcept {
  return Zeros(_mm_or_si128(_mm_or_si128(d0, d1), _mm_or_si128(d2, d3))) == kAllSet;
}
Mask BothEqual(V x, V a, V y, V b) noexcept {
  return static_cast<Mask>(
      _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
}
V AsciiUpper(V x) noexcept { return AsciiUpper128(x); }

# include "vexlo/strings/internal/ByteScanKernels.inc"
# undef VX_KERNEL_TARGET
}  // namespace sse2

const ScanKernels kSse2Kernels = {"sse2", sse2::FindBytePair, sse2::FindBytePairAsciiUpper,
                                  sse2::EqualPrefix, sse2::AsciiUpperEqualPrefix};

# ifdef VX_VECTOR_AVX2
namespace avx2 {
#  define VX_KERNEL_TARGET VX_TARGET_AVX2

using V = __m256i;
using Mask = unsigned;
constexpr size_t kWidth = 32;
constexpr Mask kAllSet = 0xFFFFFFFFu;

VX_KERNEL_TARGET V Load(const char* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
VX_KERNEL_TARGET V Splat(char c) noexcept { return _mm256_set1_epi8(c); }
VX_KERNEL_TARGET V Differ(V x, V y) noexcept { return _mm256_xor_si256(x, y); }
VX_KERNEL_TARGET Mask Zeros(V d) noexcept {
  return static_cast<Mask>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(d, _mm256_setzero_si256())));
}
VX_KERNEL_TARGET bool AllZero4(V d0, V d1, V d2, V d3) noexcept {
  const V any = _mm256_or_si256(_mm256_or_si256(d0, d1), _mm256_or_si256(d2, d3));
  return _mm256_testz_si256(any, any) != 0;
}
VX_KERNEL_TARGET Mask BothEqual(V x, V a, V y, V b) noexcept {
  return static_cast<Mask>(
      _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
}
// As the SSE2 AsciiUpper: only a-z land below -128 + 26 once moved up.
VX_KERNEL_TARGET V AsciiUpper(V x) noexcept {
  const V shifted = _mm256_add_epi8(x, _mm256_set1_epi8(static_cast<char>(0x80 - 'a')));
  const V lower = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 26)), shifted);
  return _mm256_sub_epi8(x, _mm256_and_si256(lower, _mm256_set1_epi8(0x20)));
}
// As AsciiUpperDiffer128 (ByteScan.h).
VX_KERNEL_TARGET V AsciiUpperDiffer(V x, V y) noexcept {
  const V caseBit = _mm256_set1_epi8(0x20);
  const V shifted =
      _mm256_add_epi8(_mm256_or_si256(x, caseBit), _mm256_set1_epi8(static_cast<char>(0x80 - 'a')));
  const V letter = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 26)), shifted);
  return _mm256_andnot_si256(_mm256_and_si256(letter, caseBit), _mm256_xor_si256(x, y));
}

#  include "vexlo/strings/internal/ByteScanKernels.inc"
#  undef VX_KERNEL_TARGET
}  // namespace avx2

const ScanKernels kAvx2Kernels = {"avx2", avx2::FindBytePair, avx2::FindBytePairAsciiUpper,
                                  avx2::EqualPrefix, avx2::AsciiUpperEqualPrefix};
# endif

}  // namespace detail
}  // namespace vx

#endif  // VX_VECTOR_SSE2
