#!/usr/bin/env bash
# Times append(char) against std::string::push_back in a plain program
# (benchmarks/plain/AppendChar.cpp) built against an installed release build
# of the library, found through pkg-config as a user's build would find it.
# Usage: scripts/append_plain.sh [build directory, default build/plain]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/plain}
prefix="$build/install"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DVEXLO_BUILD_TESTS=OFF -DVEXLO_BUILD_EXAMPLES=OFF -DVEXLO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null

libdir=$(find "$prefix" -name vexlo.pc -printf '%h\n' | head -n 1)
libdir=$(dirname "$libdir")
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046  # pkg-config's flags are words
g++ -O2 -std=c++17 -Wall -Wextra -Wpedantic -Werror -o "$build/append_char" benchmarks/plain/AppendChar.cpp \
  $(pkg-config --cflags --libs vexlo) -Wl,-rpath,"$libdir"
"$build/append_char"
