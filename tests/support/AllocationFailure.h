#ifndef VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H
#define VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H

// The exception-safety harness: an operation is run with its first, second,
// ... allocation failing until it completes, and the guarantee is checked
// after each failure.
//
//     vxtest::ForEachAllocationFailure([&] { s.append("more"); },
//                                      [&] { EXPECT_EQ(s, "before"); });
//
// Tests that need injection skip where it is not available:
//
//     if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";

#include <functional>

#include "support/FailingAllocator.h"

namespace vxtest {

/// Runs `operation` with the k-th allocation failing, for k = 1, 2, ... until
/// it completes without a failure. After every failed run, `checkUnchanged`
/// is called (the strong guarantee is checked there) and the count of live
/// allocations must equal the count before the run (nothing leaked). Reports a
/// test failure if an allocation failure escaped as anything but
/// std::bad_alloc, and stops after 10000 points. Returns the number of failure
/// points exercised; the program prints their total when its tests end:
///
///     [faults] allocation-failure points checked: 1234
int ForEachAllocationFailure(const std::function<void()>& operation,
                             const std::function<void()>& checkUnchanged = {});

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_ALLOCATIONFAILURE_H
