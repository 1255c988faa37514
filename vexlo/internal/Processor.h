#ifndef VEXLO_INTERNAL_PROCESSOR_H
#define VEXLO_INTERNAL_PROCESSOR_H

/// \file
/// Internal: the one place that knows which vector code the library carries
/// and asks the processor whether it may run it. The block scans of the
/// strings (strings/internal/ByteScan*) and the hexadecimal blocks of the
/// portable streams (streams/internal/HexBlocks.cpp) test the two marks
/// below and nothing else.
///
/// - `VX_VECTOR_SSE2`: SSE2 code, on x86-64, where every processor has it.
/// - `VX_VECTOR_AVX2`: AVX2 code beside it, in functions marked
///   `VX_TARGET_AVX2`, run only where `ProcessorHasAvx2()` says so. It needs
///   GCC or Clang, which build one function for a wider processor than the
///   rest of the program and ask the processor at run time.
/// - Neither in a build with `VEXLO_NO_VECTOR_CODE` (CMake:
///   `-DVEXLO_VECTOR_CODE=OFF`) or on another processor: every scan then
///   takes its plain loop.
///
/// AVX2 code is built and chosen on Windows as everywhere else (why that
/// is safe there: Processor.cpp).

#if !defined(VEXLO_NO_VECTOR_CODE) && (defined(__x86_64__) || defined(_M_X64) || defined(_M_AMD64))
# define VX_VECTOR_SSE2 1
# if defined(__GNUC__) || defined(__clang__)
#  define VX_VECTOR_AVX2 1
#  define VX_TARGET_AVX2 __attribute__((target("avx2")))
# endif
#endif

namespace vx {
namespace detail {

#ifdef VX_VECTOR_AVX2
/// Whether the processor running the program runs AVX2 code; asked once,
/// at the first call, and the answer kept.
bool ProcessorHasAvx2() noexcept;
#endif

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_INTERNAL_PROCESSOR_H
