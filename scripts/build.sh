#!/usr/bin/env bash
# Configures and builds everything into build/ (BUILD_DIR overrides).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -- -j"$(nproc)"
