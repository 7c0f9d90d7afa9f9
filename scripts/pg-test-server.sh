#!/usr/bin/env bash
# A private PostgreSQL server for the tests: Debian's initdb and pg_ctl in a temporary folder,
# listening only on a Unix socket in that folder (no TCP), trusting local connections.
#
#   pg-test-server.sh start   creates and starts the server, prints its connection URI
#   pg-test-server.sh stop    stops it and removes its folder
#   pg-test-server.sh env     prints TAMAREL_TEST_PG=URI of the running server
#
# The state file ($PG_TEST_STATE, by default $TMPDIR/tamarel-pg-test.state) holds the folder
# (DIR=...) and the URI (URI=...). As root the server runs as the unprivileged user "postgres"
# (created as a system user when missing): PostgreSQL refuses to run as root.
# A server that cannot start makes the script fail with the server's own log.
set -euo pipefail

bindir="${PG_BINDIR:-/usr/lib/postgresql/15/bin}"
state="${PG_TEST_STATE:-${TMPDIR:-/tmp}/tamarel-pg-test.state}"
dbname=tamarel_test
superuser=tamarel

fail() { echo "pg-test-server: $*" >&2; exit 1; }

# Runs a command as the server's user.
as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

read_state() {
  [ -f "$state" ] || return 1
  dir="$(sed -n 's/^DIR=//p' "$state")"
  uri="$(sed -n 's/^URI=//p' "$state")"
  [ -n "$dir" ] && [ -n "$uri" ]
}

stop() {
  read_state || return 0
  if [ -d "$dir/data" ]; then
    as_server_user "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  rm -f "$state"
}

start() {
  [ -x "$bindir/initdb" ] && [ -x "$bindir/pg_ctl" ] ||
    fail "initdb and pg_ctl not found in $bindir (install the postgresql package: scripts/deps.sh)"
  stop
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin postgres ||
      fail "cannot create the system user postgres to run the server"
  fi
  # A short folder name: the socket path must stay within the 107 characters Unix allows.
  dir="$(mktemp -d /tmp/pgtest.XXXXXX)"
  chmod 755 "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  uri="postgresql:///$dbname?host=$dir&user=$superuser"
  printf 'DIR=%s\nURI=%s\n' "$dir" "$uri" >"$state"
  if ! as_server_user "$bindir/initdb" -D "$dir/data" -U "$superuser" --auth=trust --encoding=UTF8 \
         --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1; then
    cat "$dir/initdb.log" >&2
    fail "initdb failed (log above)"
  fi
  # Only the socket; durability does not matter for throw-away test data.
  local opts="-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off"
  opts+=" -c synchronous_commit=off -c full_page_writes=off -c max_connections=100"
  if ! as_server_user "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -o "$opts" -w -t 60 start >/dev/null 2>&1; then
    cat "$dir/server.log" >&2 2>/dev/null || true
    fail "the server did not start (log above)"
  fi
  if ! as_server_user "$bindir/createdb" -h "$dir" -U "$superuser" "$dbname" 2>"$dir/createdb.log"; then
    cat "$dir/createdb.log" >&2
    fail "cannot create the database $dbname"
  fi
  echo "$uri"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  env) read_state || fail "no test server is running (state file $state)"; echo "TAMAREL_TEST_PG=$uri" ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
