#ifndef VEXLO_FUZZ_SUPPORT_FUZZALLOCATOR_H
#define VEXLO_FUZZ_SUPPORT_FUZZALLOCATOR_H

/// \file
/// The global allocator of the fuzz programs.
///
/// The fuzz programs replace the global allocation functions, as the test
/// programs do, so that a fuzz input can
/// - make one chosen allocation of the library fail (`ScopedFailure`), to
///   drive its error paths with inputs that libFuzzer evolves;
/// - be checked for leaks in every build, with or without LeakSanitizer
///   (`LiveBlocks` before and after);
/// - ask for any amount of memory: a block above `kLargestBlock` bytes is
///   refused with std::bad_alloc, as a machine without that much memory
///   would, instead of being handed to the sanitizer's allocator, which
///   reports huge requests as errors. Lengths read from hostile input are the
///   usual source of such requests.
///
///     const long before = vxfuzz::LiveBlocks();
///     {
///       vxfuzz::ScopedFailure fail(3);   // the third allocation throws
///       try { s.append(t); } catch (const std::bad_alloc&) { ... }
///     }
///     VXFUZZ_CHECK(vxfuzz::LiveBlocks() == before, "leak");

#include <cstddef>

namespace vxfuzz {

/// The largest block that the allocator hands out.
constexpr std::size_t kLargestBlock = std::size_t{64} << 20;

/// Whether this build replaces the allocation functions. Not under
/// ThreadSanitizer, whose runtime owns them, and not on Windows, where each
/// module binds its own; there the failure and leak checks are skipped.
bool AllocatorReplaced();

/// Blocks allocated and not yet freed, by the whole program.
long LiveBlocks();

/// Number of blocks refused for their size since the program started.
long RefusedBlocks();

/// Makes the `n`-th allocation from now on (1 = the next) throw
/// std::bad_alloc; 0 disarms. Only that one allocation fails.
void FailAllocation(long n);

/// True when the armed failure has been thrown since it was armed.
bool FailureFired();

/// Arms a failure for one scope and disarms it on leaving.
class ScopedFailure {
 public:
  explicit ScopedFailure(long n) { FailAllocation(n); }
  ~ScopedFailure() { FailAllocation(0); }
  ScopedFailure(const ScopedFailure&) = delete;
  ScopedFailure& operator=(const ScopedFailure&) = delete;
};

}  // namespace vxfuzz

#endif  // VEXLO_FUZZ_SUPPORT_FUZZALLOCATOR_H
