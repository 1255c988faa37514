#!/usr/bin/env bash
# The Windows counterpart of check-consumer.sh: cross-builds the library with
# MinGW-w64, then builds the consumer program against the DLL three ways
# (find_package against an installed prefix, add_subdirectory of the source
# tree, pkg-config against the same prefix) and runs each under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
toolchain="$root/cmake/toolchains/x86_64-w64-mingw32.cmake"
runner="$root/cmake/vexlo-wine.sh"
cxx=x86_64-w64-mingw32-g++-posix
work=$(mktemp -d)
export WINEPREFIX="$work/wineprefix"
cleanup() {
  # Let this prefix's Wine server finish before its files go away.
  server=/usr/lib/wine/wineserver
  [ -x "$server" ] || server=$(command -v wineserver || true)
  [ -z "$server" ] || [ ! -d "$WINEPREFIX" ] || "$server" -w || true
  rm -rf "$work"
}
trap cleanup EXIT

# A Windows search path entry (Wine maps the host's root to Z:).
winpath() { local IFS=';' out=() d; for d in "$@"; do out+=("Z:${d//\//\\}"); done; echo "${out[*]}"; }
runtime_dirs=()
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  runtime_dirs+=("$(dirname "$(readlink -f "$($cxx -print-file-name=$dll)")")")
done

echo "--- install into a temporary prefix"
cmake -S . -B "$work/lib" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DVEXLO_BUILD_TESTS=OFF -DVEXLO_BUILD_EXAMPLES=OFF \
      -DVEXLO_INSTALL=ON -DVEXLO_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$work/lib" >/dev/null
cmake --install "$work/lib" --prefix "$work/prefix" >/dev/null
for f in bin/vexlo.dll bin/tavric.dll bin/libstdc++-6.dll lib/libvexlo.dll.a lib/libtavric.dll.a; do
  [ -f "$work/prefix/$f" ] || { echo "missing from the installed tree: $f" >&2; exit 1; }
done

echo "--- find_package"
cmake -S tests/consumer -B "$work/fp" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -Dvexlo_DIR="$(dirname "$(find "$work/prefix" -name vexloConfig.cmake | head -n 1)")" >/dev/null
cmake --build "$work/fp" >/dev/null
WINEPATH=$(winpath "$work/prefix/bin") "$runner" "$WINEPREFIX" "$work/fp/consumer.exe"

echo "--- add_subdirectory"
cmake -S tests/consumer -B "$work/sub" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DVEXLO_CONSUMER_MODE=add_subdirectory >/dev/null
cmake --build "$work/sub" >/dev/null
WINEPATH=$(winpath "$work/sub/vexlo" "$work/sub/vexlo/tavric" "${runtime_dirs[@]}") \
  "$runner" "$WINEPREFIX" "$work/sub/consumer.exe"

echo "--- pkg-config"
libdir=$(find "$work/prefix" -name vexlo.pc -printf '%h\n' | head -n 1)
flags=$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs vexlo)
# shellcheck disable=SC2086
$cxx -o "$work/pc-consumer.exe" tests/consumer/main.cpp $flags
WINEPATH=$(winpath "$work/prefix/bin") "$runner" "$WINEPREFIX" "$work/pc-consumer.exe"
echo "consumer (Windows): 3 passed, 0 failed"
