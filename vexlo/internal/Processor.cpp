// AVX2 on Windows. The Windows x64 convention keeps the stack 16-byte
// aligned, and GCC does not realign it for a 32-byte value; an aligned move
// (vmovdqa, vmovaps) of a 32-byte value to the stack would then fault on
// every other call. MinGW-w64's GCC 12 makes none: every 32-byte value it
// keeps on the stack, spills of a debug build included, it moves with
// vmovdqu, which takes any address. So the AVX2 code runs on Windows as it
// does elsewhere, and the Windows build under Wine tests it where the
// processor has AVX2. To check another compiler, count the aligned 32-byte
// moves that it makes of the files with AVX2 code, at -O0 and at -O2, for
// the Windows target; there must be none:
//
//     x86_64-w64-mingw32-g++-posix -std=c++17 -I. -O0 -S -o - FILE.cpp |
//       grep -cE 'vmov(dqa|aps|apd)\s.*ymm'
#include "vexlo/internal/Processor.h"

namespace vx {
namespace detail {

#ifdef VX_VECTOR_AVX2
// The answer cannot change while the program runs.
bool ProcessorHasAvx2() noexcept {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

}  // namespace detail
}  // namespace vx
