#!/usr/bin/env bash
# Builds everything, checks that every package the build found is one scripts/deps.sh
# installs (or a dependency of one), and runs every test (windows run offscreen); then builds
# the libraries without windows (engine, compressed stream) with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs their tests and fuzz corpora again (SKIP_SANITIZE=1
# leaves that out).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
# Every package the configuration found must come from the list of scripts/deps.sh.
"$here/scripts/check-packages.sh" "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600

# The Debian package, built from a clean folder and checked as an installation meets it.
deb="$("$here/scripts/package.sh" | tail -n 1)"
"$here/scripts/check-package.sh" "$deb"

if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
  asan="$build-sanitize"
  cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAMAREL_QT=OFF -DTAMAREL_SANITIZE=ON >/dev/null
  cmake --build "$asan" -- -j"$(nproc)"
  ctest --test-dir "$asan" --output-on-failure -j"$(nproc)" --timeout 600
fi
