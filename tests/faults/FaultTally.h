#ifndef VEXLO_TESTS_FAULTS_FAULTTALLY_H
#define VEXLO_TESTS_FAULTS_FAULTTALLY_H

// A tally of the allocation-failure points that the fault-injection tests
// checked, printed when the test program ends, so that a run reports how
// much it covered:
//
//     [faults] allocation-failure points checked: 1234
//
//     vxtest::TallyPoints(vxtest::ForEachAllocationFailure(...));

namespace vxtest {

/// Adds `points` to the program's tally and returns it.
int TallyPoints(int points);

}  // namespace vxtest

#endif  // VEXLO_TESTS_FAULTS_FAULTTALLY_H
