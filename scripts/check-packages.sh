#!/usr/bin/env bash
# Checks that every CMake package and library the configured build found comes from a Debian
# package that scripts/deps.sh installs, or from one of their dependencies. A package that is
# on this machine only by chance (installed earlier for something else) makes a fresh machine
# fail to configure; this names it.
#
#   scripts/check-packages.sh [BUILD_DIR]
# BUILD_DIR defaults to build/ (or $BUILD_DIR). DEPS_LIST names a file with the package list
# to check against, one name per line, in place of `scripts/deps.sh --list`.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${BUILD_DIR:-$here/build}}"
cache="$build/CMakeCache.txt"
[ -f "$cache" ] || { echo "check-packages: no $cache; configure first" >&2; exit 2; }

if [ -n "${DEPS_LIST:-}" ]; then
  mapfile -t listed < <(grep -v '^[[:space:]]*$' "$DEPS_LIST")
else
  mapfile -t listed < <("$here/scripts/deps.sh" --list)
fi

# The listed packages and everything they pull in (what --no-install-recommends installs).
declare -A allowed=()
while read -r name; do
  allowed["${name%%:*}"]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
           --no-replaces --no-enhances "${listed[@]}" 2>/dev/null | grep -v '^[[:space:]]' | tr -d '<>')

# Files that stand for what the build found: the config file of each <Package>_DIR, the
# libraries of the find modules, and the main header of their include folders.
header_of() {
  case "$1" in
    SQLite3_INCLUDE_DIR) echo sqlite3.h ;;
    JPEG_INCLUDE_DIR) echo jpeglib.h ;;
    ZLIB_INCLUDE_DIR) echo zlib.h ;;
    GTEST_INCLUDE_DIR) echo gtest/gtest.h ;;
    GMOCK_INCLUDE_DIR) echo gmock/gmock.h ;;
    *) echo "" ;;
  esac
}

found=()   # "entry|file"
while IFS= read -r line; do
  entry="${line%%:*}"
  value="${line#*=}"
  [ -n "$value" ] || continue
  case "$value" in *-NOTFOUND | "$build"* | "$here"*) continue ;; esac
  case "$entry" in CMAKE_* | _*) continue ;; esac
  # Found when present, used by nothing here: FindOpenGL also looks for GLU.
  case "$entry" in OPENGL_glu_LIBRARY) continue ;; esac
  case "$entry" in
    *_DIR)
      [ -d "$value" ] || continue
      name="${entry%_DIR}"
      file=""
      for candidate in "$value/${name}Config.cmake" "$value/$(echo "$name" | tr 'A-Z' 'a-z')-config.cmake"; do
        [ -f "$candidate" ] && { file="$candidate"; break; }
      done
      [ -n "$file" ] || file="$(find "$value" -maxdepth 1 \( -name '*Config.cmake' -o -name '*-config.cmake' \) | sort | head -n1)"
      [ -n "$file" ] && found+=("$entry|$file")
      ;;
    *_INCLUDE_DIR)
      header="$(header_of "$entry")"
      [ -n "$header" ] && [ -f "$value/$header" ] && found+=("$entry|$value/$header")
      ;;
    *_LIBRARY | *_LIBRARY_RELEASE | *_LIBRARY_DEBUG | *_MAIN_LIBRARY)
      [ -f "$value" ] && found+=("$entry|$value")
      ;;
  esac
done < <(grep -E '^[A-Za-z0-9_]+:(PATH|FILEPATH)=' "$cache")

# The Debian package owning a file; with merged /usr the database may name it without /usr.
owner() {
  local path="$1" out
  for p in "$path" "${path#/usr}" "/usr$path"; do
    if out="$(dpkg -S "$p" 2>/dev/null)"; then
      out="${out%%: /*}"
      echo "${out%%,*}" | sed 's/:[a-z0-9]*$//'
      return 0
    fi
  done
  return 1
}

missing=()
checked=0
for item in "${found[@]}"; do
  entry="${item%%|*}"
  file="${item#*|}"
  if ! pkg="$(owner "$file")"; then
    echo "check-packages: $entry: $file belongs to no Debian package" >&2
    missing+=("(none: $file)")
    continue
  fi
  checked=$((checked + 1))
  if [ -z "${allowed[$pkg]:-}" ]; then
    echo "check-packages: $entry ($file) comes from $pkg, which scripts/deps.sh does not install" >&2
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "check-packages: missing from scripts/deps.sh: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')" >&2
  exit 1
fi
echo "check-packages: the $checked files the build found come from listed packages or their dependencies"
