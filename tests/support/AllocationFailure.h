#ifndef VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H
#define VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H

// A failing global allocator for exception-safety tests.
//
// The test programs replace the global allocation functions. Each thread can
// arm a countdown that makes its N-th allocation from then on throw
// std::bad_alloc; the library's own allocations go through the same
// functions, so the countdown reaches into it.
//
//     vxtest::ForEachAllocationFailure([&] { s.append("more"); },
//                                      [&] { EXPECT_EQ(s, "before"); });

#include <cstddef>
#include <functional>

namespace vxtest {

/// Number of blocks allocated through the global allocation functions and
/// not yet freed, by every thread.
long LiveAllocations();

/// Makes the `n`-th allocation of this thread from now on (1 = the next one)
/// throw std::bad_alloc; 0 disarms. Only that one allocation fails.
void FailAllocationAfter(long n);

/// True when an armed countdown has fired since it was last armed.
bool AllocationFailureFired();

/// Whether allocation failures can be injected into the library in this
/// build. Not on Windows, where each DLL binds its own allocator, and not
/// under ThreadSanitizer, whose runtime owns the allocation functions. Tests
/// that need injection skip when this is false:
///
///     if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
bool AllocationFailureInjectable();

/// Runs `operation` with the k-th allocation failing, for k = 1, 2, ... until
/// it completes without a failure. After every failed run, `checkUnchanged`
/// is called (the strong guarantee is checked there) and the count of live
/// allocations must equal the count before the run (nothing leaked; objects
/// that `operation` only changes are checked by `checkUnchanged`). Returns
/// the number of failure points exercised. Reports a test failure if an
/// allocation failure escaped as anything but std::bad_alloc, and stops after
/// 10000 points.
int ForEachAllocationFailure(const std::function<void()>& operation,
                             const std::function<void()>& checkUnchanged = {});

/// Arms the countdown for one scope and disarms it on exit.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(long n) { FailAllocationAfter(n); }
  ~ScopedAllocationFailure() { FailAllocationAfter(0); }
  ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
  ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H
