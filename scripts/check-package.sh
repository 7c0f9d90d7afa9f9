#!/usr/bin/env bash
# Checks the Debian package as an installation would meet it: unpacked into a scratch root
# (dpkg -x), the programs answer --help and --version from there, the desktop entries and
# the AppStream metainfo validate, and lintian reports no errors.
#
#   scripts/check-package.sh DEB
set -euo pipefail
deb="${1:?usage: check-package.sh DEB}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
export QT_QPA_PLATFORM=offscreen
"$root/usr/bin/tamarel-db" --help >/dev/null
"$root/usr/bin/tamarel" --version
"$root/usr/bin/dorvane" --version
for f in tamarel dorvane; do
  [ -f "$root/usr/share/applications/$f.desktop" ] || { echo "check-package: $f.desktop missing" >&2; exit 1; }
  desktop-file-validate "$root/usr/share/applications/$f.desktop"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
for f in usr/share/tamarel/tamarel.jpg usr/share/tamarel/Help/HelpContent.html usr/share/man/man1/tamarel.1.gz \
         usr/share/man/man1/tamarel-db.1.gz usr/share/doc/tamarel/copyright; do
  [ -f "$root/$f" ] || { echo "check-package: $f missing" >&2; exit 1; }
done
# Every command of the tool's usage text stands in its man page.
for c in $("$root/usr/bin/tamarel-db" --help | sed -n 's/^ *\(usage: \)\{0,1\}tamarel-db \([a-z-]*\).*/\2/p' | sort -u); do
  zcat "$root/usr/share/man/man1/tamarel-db.1.gz" | sed 's/\\//g' | grep -q -- "$c" || { echo "check-package: $c not in the man page" >&2; exit 1; }
done
# lintian: errors fail; warnings are printed.
out="$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)"
[ -z "$out" ] || echo "$out"
if echo "$out" | grep -q '^E: '; then
  echo "check-package: lintian reports errors" >&2
  exit 1
fi
echo "check-package: $(basename "$deb") passed"
