#!/usr/bin/env bash
# Builds the preset `coverage` (GCC, --coverage, -O0), runs the whole test
# suite once and prints the line and branch coverage of the library: the
# sources under vexlo/ and tavric/, nothing of the tests, the fuzz harness,
# the examples or GoogleTest. A per-file HTML report with every line marked
# lands in build/coverage/html/.
# Usage: scripts/coverage.sh
# It fails (exit status 2) when lines fall below 98% or branches below 90%.
#
# The preset counts with -fprofile-update=atomic: the concurrency tests run
# the library on several threads at once, and plain counter updates race
# there, leaving counts that gcov cannot read (negative ones).
#
# Why these gcovr options:
# - The counters of earlier runs are removed first, so that the figures are
#   those of one run of the suite as it is now.
# - --exclude-throw-branches: GCC gives every call that may throw a branch to
#   its exception landing pad. Those are not decisions in the code, and the
#   tests could only take them by making each call throw, so they are left
#   out; the library's own throw statements and catch blocks are lines, and
#   still count as covered or not.
# - --exclude-unreachable-branches: branches that GCC generates on lines with
#   no code of their own (closing braces, the hidden destructor calls at the
#   end of a scope) are not branches a test can choose.
# - --exclude-branches-by-pattern on assert(): the preset builds with
#   assertions on, and the failing side of each assertion aborts the
#   program, which writes no counters (abort runs no exit handlers), so no
#   test, death tests included, can ever be counted there. The condition's
#   line still counts.
# - Lines are counted as gcov counts them; nothing is excluded by pattern, so
#   a line that no test reaches shows up here. The few lines and branches that
#   carry a GCOVR_EXCL marker are unreachable on the platforms the suite runs
#   on; docs/HARDENING.md ("Coverage") lists each with the reason.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh gcovr
build=build/coverage
cmake --preset coverage >/dev/null
cmake --build --preset coverage
find "$build" -name '*.gcda' -delete
ctest --preset coverage

options=(--root . --filter '^vexlo/' --filter '^tavric/' --exclude-throw-branches
         --exclude-unreachable-branches --exclude-branches-by-pattern '.*\bassert\(')
mkdir -p "$build/html"
gcovr "${options[@]}" -j 2 --json "$build/coverage.json" \
  --html-details "$build/html/index.html" "$build"
echo
echo "--- lines of vexlo/ and tavric/ (Missing: the line numbers no test reaches)"
gcovr --add-tracefile "$build/coverage.json" --txt
echo "--- branches of vexlo/ and tavric/"
gcovr --add-tracefile "$build/coverage.json" --txt --branches --print-summary \
  --fail-under-line 98 --fail-under-branch 90
