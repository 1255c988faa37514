#!/usr/bin/env bash
# Sets up, builds (release) and runs the example program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vexlo_example
./build/release/examples/vexlo_example
