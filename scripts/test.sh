#!/usr/bin/env bash
# Builds everything and runs every test (windows run offscreen).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
