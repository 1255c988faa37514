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
Mask Equal(V x, V y) noexcept { return static_cast<Mask>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))); }
Mask BothEqual(V x, V a, V y, V b) noexcept {
  return static_cast<Mask>(
      _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
}
bool AllEqual4(V a0, V b0, V a1, V b1, V a2, V b2, V a3, V b3) noexcept {
  const V same = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a0, b0), _mm_cmpeq_epi8(a1, b1)),
                               _mm_and_si128(_mm_cmpeq_epi8(a2, b2), _mm_cmpeq_epi8(a3, b3)));
  return static_cast<Mask>(_mm_movemask_epi8(same)) == kAllSet;
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
VX_KERNEL_TARGET Mask Equal(V x, V y) noexcept {
  return static_cast<Mask>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, y)));
}
VX_KERNEL_TARGET Mask BothEqual(V x, V a, V y, V b) noexcept {
  return static_cast<Mask>(
      _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
}
VX_KERNEL_TARGET bool AllEqual4(V a0, V b0, V a1, V b1, V a2, V b2, V a3, V b3) noexcept {
  const V same =
      _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(a0, b0), _mm256_cmpeq_epi8(a1, b1)),
                       _mm256_and_si256(_mm256_cmpeq_epi8(a2, b2), _mm256_cmpeq_epi8(a3, b3)));
  return static_cast<Mask>(_mm256_movemask_epi8(same)) == kAllSet;
}
// As the SSE2 AsciiUpper: only a-z land below -128 + 26 once moved up.
VX_KERNEL_TARGET V AsciiUpper(V x) noexcept {
  const V shifted = _mm256_add_epi8(x, _mm256_set1_epi8(static_cast<char>(0x80 - 'a')));
  const V lower = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + 26)), shifted);
  return _mm256_sub_epi8(x, _mm256_and_si256(lower, _mm256_set1_epi8(0x20)));
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
