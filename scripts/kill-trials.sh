#!/usr/bin/env bash
# Runs the kill -9 trials of restore and of CREATE TABLE (and of composed changes where
# built) many times:
#   scripts/kill-trials.sh [COUNT]     (default 500; the test suite runs a modest count)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
count="${1:-500}"
export QT_QPA_PLATFORM=offscreen TAMAREL_KILL_TRIALS="$count"
"$build/bin/tools_backup_test" --gtest_filter='*Killed*'
if [ -x "$build/bin/engine_test" ]; then
  "$build/bin/engine_test" --gtest_filter='*Kill*'
fi
