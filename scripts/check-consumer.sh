#!/usr/bin/env bash
# Builds and runs a small consumer of the library three ways, each on a clean
# build tree: find_package against an installed prefix, add_subdirectory of
# the source tree, and pkg-config against the same prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "--- install into a temporary prefix"
cmake -S . -B "$work/lib" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXLO_BUILD_TESTS=OFF \
      -DVEXLO_BUILD_EXAMPLES=OFF -DVEXLO_INSTALL=ON >/dev/null
cmake --build "$work/lib" >/dev/null
cmake --install "$work/lib" --prefix "$work/prefix" >/dev/null

echo "--- find_package"
cmake -S tests/consumer -B "$work/fp" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/fp" >/dev/null
"$work/fp/consumer"

echo "--- add_subdirectory"
cmake -S tests/consumer -B "$work/sub" -G Ninja -DVEXLO_CONSUMER_MODE=add_subdirectory >/dev/null
cmake --build "$work/sub" >/dev/null
"$work/sub/consumer"

echo "--- pkg-config"
libdir=$(find "$work/prefix" -name vexlo.pc -printf '%h\n' | head -n 1)
flags=$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs vexlo)
# shellcheck disable=SC2086
g++ -o "$work/pc-consumer" tests/consumer/main.cpp $flags -Wl,-rpath,"$(PKG_CONFIG_PATH="$libdir" pkg-config --variable=libdir vexlo)"
"$work/pc-consumer"
echo "consumer: 3 passed, 0 failed"
