#ifndef VEXLO_FUZZ_SUPPORT_FUZZHARNESS_H
#define VEXLO_FUZZ_SUPPORT_FUZZHARNESS_H

// What the three fuzz targets share: the check that aborts with the failed
// condition (libFuzzer keeps the input as a crash; the replay program has it
// thrown instead, to report it and save the input), the reader of an input's
// bytes, and the entry point, which runs the target's vxf::Run on one input
// with blocks above 64 MiB refused (a hostile length then fails with
// std::bad_alloc, as on a machine without that memory) and checks that every
// block allocated meanwhile was freed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/FailingAllocator.h"
#include "vexlo/vexlo.h"

#define VXF_CHECK(condition) ((condition) ? void() : vxf::Fail(__FILE__, __LINE__, #condition))

namespace vxf {

/// Set by the replay program (support/ReplayMain.cpp): a failed check then
/// throws its text, a `const char*`, instead of aborting. The text is built
/// in a static buffer, since a check may fail while an allocation is armed to
/// fail.
bool g_throwOnFailure = false;

[[noreturn]] inline void Fail(const char* file, int line, const char* condition) {
  static char failure[1024];
  std::snprintf(failure, sizeof failure, "%s:%d: check failed: %s", file, line, condition);
  if (g_throwOnFailure) throw static_cast<const char*>(failure);
  std::fprintf(stderr, "%s\n", failure);
  std::abort();
}

/// The input's bytes, taken from the front; past the end every byte is 0.
struct In {
  const std::uint8_t* d;
  size_t n, hi = 0;
  std::uint8_t B() { return n == 0 ? 0 : (--n, *d++); }
  /// A number below `b` (0 for 0), from two bytes when `b` is above 256.
  size_t N(size_t b) { return b > 256 ? (hi = B(), (hi << 8 | B()) % b) : b ? B() % b : 0; }
  /// Up to 40 bytes of the input, NUL bytes included.
  std::string Text() {
    const size_t k = std::min(N(41), n);
    return d += k, n -= k, std::string(reinterpret_cast<const char*>(d - k), k);
  }
};

/// Calls the k-th of `op`.
template <class... Op>
void Pick(size_t k, Op... op) {
  ((k-- == 0 ? op() : void()), ...);
}

/// The target: runs one input. Each fuzz target defines it.
void Run(In in);

}  // namespace vxf

/// The entry point of libFuzzer and of the replay program: runs the target on
/// one input and checks that it left no block allocated. Defined here, so the
/// header is included by the one source file of each target.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  vxtest::SetLargestAllocation(size_t{64} << 20);
  const long live = vxtest::LiveAllocations();
  vxf::Run(vxf::In{data, size});
  VXF_CHECK(vxtest::LiveAllocations() == live);
  return 0;
}

#endif  // VEXLO_FUZZ_SUPPORT_FUZZHARNESS_H
