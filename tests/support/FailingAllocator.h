#ifndef VEXLO_TESTS_SUPPORT_FAILINGALLOCATOR_H
#define VEXLO_TESTS_SUPPORT_FAILINGALLOCATOR_H

// The global allocator of the test and fuzz programs. They replace the global
// allocation functions with these, and the library's own allocations go
// through them too, so a test can
// - make the N-th allocation of its thread from now on throw std::bad_alloc;
// - count the blocks still live, to show that nothing leaked;
// - find a byte that holds only because fresh memory happened to be zero:
//   every fresh block is filled with 0xA5;
// - cap the size of one block, so that a hostile length read from input is
//   refused with std::bad_alloc, as on a machine without that much memory,
//   instead of being handed to a sanitizer's allocator, which reports it.
//
//     const long before = vxtest::LiveAllocations();
//     {
//       vxtest::ScopedAllocationFailure fail(3);  // the third allocation throws
//       try { s.append(t); } catch (const std::bad_alloc&) {}
//     }
//     assert(vxtest::LiveAllocations() == before);

#include <cstddef>

namespace vxtest {

/// Whether this build replaces the allocation functions. Not on Windows, where
/// each DLL binds its own allocator, and not under ThreadSanitizer, whose
/// runtime owns them; failures cannot be injected there and nothing is counted.
bool AllocationFailureInjectable();

/// Blocks allocated and not yet freed, by every thread.
long LiveAllocations();

/// Blocks refused for their size since the program started.
long RefusedAllocations();

/// Refuses every block larger than `bytes`; 0 (the default) refuses none.
void SetLargestAllocation(std::size_t bytes);

/// Makes the `n`-th allocation of this thread from now on (1 = the next one)
/// throw std::bad_alloc, for one scope; only that one allocation fails.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(long n);
  ~ScopedAllocationFailure();
  ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
  ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;
};

/// True when the failure armed last has been thrown, also after its scope.
bool AllocationFailureFired();

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_FAILINGALLOCATOR_H
