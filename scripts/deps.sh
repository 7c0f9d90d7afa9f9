#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when some are missing.
set -euo pipefail
pkgs=(cmake ninja-build ccache g++ clang pkg-config libsqlite3-dev libjpeg-dev zlib1g-dev
      qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev
      qt6-translations-l10n
      libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2 xvfb xauth fp-compiler
      poppler-utils postgresql libpq-dev iso-codes libical-dev pxlib-dev
      dpkg-dev fakeroot file help2man librsvg2-bin desktop-file-utils appstream lintian
      libqrencode-dev zbar-tools)
# --list prints the list (scripts/check-packages.sh checks the build against it).
if [ "${1:-}" = "--list" ]; then printf '%s\n' "${pkgs[@]}"; exit 0; fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
