#include "faults/FaultTally.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<long> g_points{0};

class TallyReport : public testing::Environment {
 public:
  void TearDown() override {
    std::printf("[faults] allocation-failure points checked: %ld\n", g_points.load());
  }
};

// Registered before main() runs the tests; GoogleTest owns and deletes it.
[[maybe_unused]] testing::Environment* const g_report =
    testing::AddGlobalTestEnvironment(new TallyReport);

}  // namespace

namespace vxtest {

int TallyPoints(int points) {
  g_points.fetch_add(points);
  return points;
}

}  // namespace vxtest
