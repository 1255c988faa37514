#!/usr/bin/env bash
# Builds the benchmark suite (release), runs every case in one run of one
# program and writes the tables of docs/PERFORMANCE.md from its JSON output.
# Usage: scripts/bench.sh [--smoke] [vexlo_bench flag ...]
#   --smoke  each case once, with a tiny time budget and 1 MiB files, to prove
#            that every case builds, runs and gets its answer right; the report
#            goes to build/bench/PERFORMANCE-smoke.md and docs/ stays untouched.
# Other flags go to vexlo_bench, e.g. --benchmark_filter='^Copy'.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
if [ "${1:-}" = "--smoke" ]; then
  smoke=1
  shift
fi

scripts/setup.sh qtbase5-dev libcereal-dev python3
cmake --preset bench >/dev/null
cmake --build --preset bench

out=build/bench
if [ "$smoke" -eq 1 ]; then
  flags=(--benchmark_min_time=0.001 --file_mib=1)
  report="$out/PERFORMANCE-smoke.md"
else
  # Three repetitions in random order, so that a slow spell of this shared
  # machine spreads over all cases instead of hitting one; the report takes
  # the median of each.
  flags=(--benchmark_repetitions=3 --benchmark_enable_random_interleaving=true
         --benchmark_report_aggregates_only=true)
  report=docs/PERFORMANCE.md
  mkdir -p docs
fi

"$out/benchmarks/vexlo_bench" "${flags[@]}" \
  --benchmark_out="$out/results.json" --benchmark_out_format=json "$@"
python3 scripts/bench_report.py "$out/results.json" "$report"
echo "Report written to $report"
