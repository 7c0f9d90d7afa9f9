#!/usr/bin/env bash
# Builds everything and starts Tamarel on build/bin/DB (created with demo data when missing).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh"
bin="${BUILD_DIR:-$here/build}/bin"
if [ ! -d "$bin/DB" ]; then
  "$bin/tamarel-db" demo "$bin/DB"
fi
if [ -x "$bin/tamarel" ]; then
  exec "$bin/tamarel" "$@"
else
  exec "$bin/tamarel-db" sql "$bin/DB" 'SELECT PID, PNAME, PPRICE FROM "POKOJE.DB" ORDER BY PID'
fi
