#!/usr/bin/env bash
# Runs the libFuzzer targets of the preset `fuzz`, one after the other, each
# for a bounded time, starting from its corpus in the repository.
#
# Usage: fuzz/run.sh [seconds-per-target] [target...]
#        (default: 60 seconds; string_ops round_trip)
#
# The repository corpus is only read: new inputs go to build/fuzz/corpus/<t>,
# and a target's dictionary fuzz/<t>.dict, where there is one, is passed on;
# crash inputs to build/fuzz/artifacts/<t>/. For every crash the replay
# program prints the failed check. A summary line per target gives the
# executions, libFuzzer's last coverage line and the corpus size. Exits
# non-zero when any target crashed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(string_ops round_trip)

build=build/fuzz
if [ ! -x "$build/fuzz/vexlo_fuzz_${targets[0]}" ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
fi

export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/run-$t.log"
  mkdir -p "$work" "$artifacts"
  echo "--- $t: ${seconds}s"
  # -close_fd_mask=2: the memory reader logs every underrun to stderr; the
  # fuzzer's own report still reaches the log.
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  if "$build/fuzz/vexlo_fuzz_$t" "$work" "fuzz/corpus/$t" ${dict[@]+"${dict[@]}"} \
      -max_total_time="$seconds" -max_len=8192 -timeout=20 -close_fd_mask=2 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    result=ok
  else
    result=CRASH
    status=1
    tail -n 40 "$log"
    for a in "$artifacts"/*; do
      [ -f "$a" ] || continue
      echo "--- replaying $a"
      "$build/fuzz/vexlo_fuzz_${t}_replay" "$a" 2>&1 | grep -v '^replaying' | tail -n 20 || true
    done
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
  corpus=$(find "$work" -type f | wc -l)
  echo "$t: $result, ${runs:-?} executions in ${seconds}s, ${cov:-no coverage line}," \
    "$corpus inputs in the working corpus"
done
exit $status
