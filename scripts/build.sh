#!/usr/bin/env bash
# Configures and builds everything into build/ (BUILD_DIR overrides).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
build="${BUILD_DIR:-$here/build}"
# ccache keeps compiled objects across build folders and work trees of the same sources.
launcher=()
if command -v ccache >/dev/null; then
  # Paths below the tree and the build folder do not enter the hash, so another clone hits.
  export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" \
      ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -- -j"$(nproc)"
