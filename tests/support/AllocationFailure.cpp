#include "support/AllocationFailure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <new>

namespace {

std::atomic<long> g_points{0};

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
    try {
      const ScopedAllocationFailure arm(k);
      operation();
      return k - 1;
    } catch (const std::exception& e) {
      // Only the injected std::bad_alloc counts (`arm` disarms but leaves that it fired).
      if (!AllocationFailureFired() || dynamic_cast<const std::bad_alloc*>(&e) == nullptr) {
        ADD_FAILURE() << "allocation failure " << k << " escaped as: " << e.what();
        return k;
      }
    }
    g_points.fetch_add(1);
    if (checkUnchanged) checkUnchanged();
    EXPECT_EQ(LiveAllocations(), before) << "leak after allocation failure " << k;
  }
  ADD_FAILURE() << "operation still allocating after " << kMaxPoints << " failure points";
  return kMaxPoints;
}

}  // namespace vxtest
