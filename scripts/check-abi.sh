#!/usr/bin/env bash
# Compares the binary interface of the shared libraries (libvexlo, libtavric)
# with the baseline committed in abi/, using libabigail (Debian's
# abigail-tools). Fails when a change breaks the interface (removed or changed
# functions and data, changed layouts) and the SONAME is the baseline's.
# Added functions are compatible: they pass, and are listed.
#
# Usage: scripts/check-abi.sh            compare with the baseline
#        scripts/check-abi.sh --update   record the baseline from this tree
#
# The interface is read from the debug information of a release build with
# -g (RelWithDebInfo) made by a fixed compiler, GCC 12 (Debian 12's g++):
# another compiler describes the same types differently, so the comparison
# and the recording both insist on it. docs/RELEASING.md says when to record.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=check
case "${1:-}" in
  "") ;;
  --update) mode=update ;;
  *) echo "usage: $0 [--update]" >&2; exit 2 ;;
esac

gcc_major=12
scripts/setup.sh abigail-tools g++
if [ "$(g++ -dumpversion | cut -d. -f1)" != "$gcc_major" ]; then
  echo "the ABI baseline is recorded with GCC $gcc_major; g++ here is $(g++ -dumpversion)" >&2
  exit 2
fi

build=build/abi
# Source paths in the debug information relative to the tree, so that the
# recording does not depend on where the tree is.
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$(pwd)/=" \
      -DBUILD_SHARED_LIBS=ON -DVEXLO_BUILD_TESTS=OFF -DVEXLO_BUILD_EXAMPLES=OFF \
      -DVEXLO_INSTALL=OFF -DVEXLO_WARNINGS_AS_ERRORS=ON >/dev/null
# Shared objects of an earlier version would be found beside the new ones.
[ ! -d "$build" ] || find "$build" -name 'lib*.so*' -delete
cmake --build "$build" -j2 --target vexlo tavric >/dev/null

soname() { sed -n "s/.*<abi-corpus [^>]*soname='\([^']*\)'.*/\1/p" "$1" | head -n 1; }

failed=0
for lib in vexlo tavric; do
  # The shared object itself, e.g. libvexlo.so.0.1.0.
  so=$(find "$build" -name "lib$lib.so.*" -type f | head -n 1)
  [ -n "$so" ] || { echo "abi: lib$lib.so.* not built in $build" >&2; exit 1; }
  current="$build/lib$lib.abi"
  # No paths, no source locations, type ids from hashes: the recording
  # depends on the interface only, not on where the tree was built.
  abidw --no-corpus-path --no-comp-dir-path --no-show-locs --type-id-style hash \
        --out-file "$current" "$so"
  baseline="abi/lib$lib.abi"
  if [ "$mode" = update ]; then
    mkdir -p abi
    cp "$current" "$baseline"
    echo "abi: recorded $baseline ($(soname "$baseline"))"
    continue
  fi
  if [ ! -f "$baseline" ]; then
    echo "abi: no baseline $baseline; record one with $0 --update" >&2
    failed=1
    continue
  fi

  set +e
  abidiff --no-show-locs "$baseline" "$current" > "$build/lib$lib.abidiff"
  status=$?
  set -e
  # abidiff's exit status is a bit field: 1 error, 2 usage error, 4 the
  # interface changed, 8 it changed incompatibly.
  if (( status & 3 )); then
    cat "$build/lib$lib.abidiff"
    echo "abi: abidiff could not compare lib$lib (status $status)" >&2
    failed=1
  elif (( status & 8 )); then
    cat "$build/lib$lib.abidiff"
    if [ "$(soname "$baseline")" != "$(soname "$current")" ]; then
      echo "abi: lib$lib: incompatible change with a new SONAME" \
           "($(soname "$baseline") -> $(soname "$current")): record the baseline anew"
    else
      echo "abi: lib$lib: INCOMPATIBLE change without a new SONAME ($(soname "$current"))" >&2
      failed=1
    fi
  elif (( status & 4 )); then
    cat "$build/lib$lib.abidiff"
    echo "abi: lib$lib: compatible additions (record them at the next release)"
  else
    echo "abi: lib$lib: unchanged ($(soname "$current"))"
  fi
done
exit "$failed"
