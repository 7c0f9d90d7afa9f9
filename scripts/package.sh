#!/usr/bin/env bash
# Builds the Debian package from a clean build folder: build/package/ is made anew, the
# three programs and the installed files are built in it, and CPack (DEB) writes
# tamarel_<version>_<arch>.deb, copied to build/. Prints the package's path last.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
top="${BUILD_DIR:-$here/build}"
build="$top/package"
rm -rf "$build"
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --target tamarel dorvane tamarel-db packaging_files -- -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/tamarel_*.deb | head -n1)"
cp "$deb" "$top/"
echo "$top/$(basename "$deb")"
