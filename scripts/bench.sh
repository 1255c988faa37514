#!/usr/bin/env bash
# Builds the benchmark suite (release), runs every case in one run of one
# program (the threaded cases in a second) and writes the tables of
# docs/PERFORMANCE.md from their JSON output.
# Usage: scripts/bench.sh [--smoke] [vexlo_bench flag ...]
#   --smoke  each case once, with a tiny time budget and 1 MiB files, to prove
#            that every case builds, runs and gets its answer right; the report
#            goes to build/bench/PERFORMANCE-smoke.md and docs/ stays untouched.
# Other flags go to vexlo_bench, e.g. --benchmark_filter='^Copy'; with a filter
# of their own the threaded run is left out.
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
  # Nine short repetitions in random order, so that a slow spell of this
  # shared machine spreads over all cases instead of hitting one. Every
  # repetition goes to the JSON; the report takes the fastest of each
  # single-thread case (a neighbour only ever adds time) and the median of
  # the threaded ones.
  flags=(--benchmark_repetitions=9 --benchmark_min_time=0.2
         --benchmark_enable_random_interleaving=true --benchmark_display_aggregates_only=true)
  report=docs/PERFORMANCE.md
  mkdir -p docs
fi

bench="$out/benchmarks/vexlo_bench"

# The cases run on one processor, the fastest at the start: on a virtual
# machine one processor can run at half the speed of another for minutes
# (its host's core busy with another guest), and a case that moves between
# them mid-run measures the move. Each processor times the same short case;
# the one with the lowest time is taken. The threaded cases, which measure
# processors contending for one count, run apart on all of them.
fastest=""
best=""
for cpu in $(python3 -c 'import os; print(*sorted(os.sched_getaffinity(0)))'); do
  ns=$(taskset -c "$cpu" "$bench" --benchmark_filter='^Copy/StdString/8$' \
         --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null |
       python3 -c 'import json, sys; print(json.load(sys.stdin)["benchmarks"][0]["cpu_time"])')
  echo "processor $cpu: $ns ns per probe"
  if [ -z "$best" ] || python3 -c "import sys; sys.exit(not $ns < $best)"; then
    fastest=$cpu
    best=$ns
  fi
done
echo "running on processor $fastest"

threads=("$out/threads.json")
taskset -c "$fastest" "$bench" "${flags[@]}" --benchmark_filter=-threads: \
  --benchmark_context=processor="$fastest" \
  --benchmark_out="$out/results.json" --benchmark_out_format=json "$@"
if [[ "$*" == *--benchmark_filter* ]]; then
  threads=()
else
  "$bench" "${flags[@]}" --benchmark_filter=threads: \
    --benchmark_out="$out/threads.json" --benchmark_out_format=json
fi
python3 scripts/bench_report.py "$out/results.json" "${threads[@]}" "$report"
echo "Report written to $report"
