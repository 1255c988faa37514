#include "support/AllocationFailure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <new>

namespace {

std::atomic<long> g_points{0};

// Prints the number of failure points checked when the program ends.
struct PointsReport {
  ~PointsReport() {
    if (g_points > 0)
      std::printf("[faults] allocation-failure points checked: %ld\n", g_points.load());
  }
} g_report;

}  // namespace

namespace vxtest {

int ForEachAllocationFailure(const std::function<void()>& operation,
                             const std::function<void()>& checkUnchanged) {
  constexpr int kMaxPoints = 10000;
  for (int k = 1; k <= kMaxPoints; ++k) {
    const long before = LiveAllocations();
    bool failed = false;
    {
      ScopedAllocationFailure arm(k);
      try {
        operation();
      } catch (const std::bad_alloc&) {
        failed = true;
      } catch (const std::exception& e) {
        ADD_FAILURE() << "allocation failure " << k << " escaped as: " << e.what();
        return k;
      }
      if (failed && !AllocationFailureFired()) {
        ADD_FAILURE() << "std::bad_alloc without an injected failure at point " << k;
        return k;
      }
    }
    if (!failed) return k - 1;
    g_points.fetch_add(1);
    if (checkUnchanged) checkUnchanged();
    EXPECT_EQ(LiveAllocations(), before) << "leak after allocation failure " << k;
  }
  ADD_FAILURE() << "operation still allocating after " << kMaxPoints << " failure points";
  return kMaxPoints;
}

}  // namespace vxtest
