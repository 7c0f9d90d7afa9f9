#!/usr/bin/env bash
# Builds everything and starts Dorvane, the SQL console, on build/bin/DB (the demo folder,
# created when missing). Its settings file build/bin/dorvane.ini is written on first start.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/build.sh"
bin="${BUILD_DIR:-$here/build}/bin"
[ -d "$bin/DB" ] || "$bin/tamarel-db" demo "$bin/DB"
if [ ! -f "$bin/dorvane.ini" ]; then
  printf '[MAIN]\nDatabasePath=%s\nFilesPath=%s\n' "$bin/DB" "$bin/DB" > "$bin/dorvane.ini"
fi
exec "$bin/dorvane" "$@"
