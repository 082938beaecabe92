#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests and benchmarks (Debian's postgresql
# package), never the machine's own: its files under build/postgres, run by an
# unprivileged user (postgres when this runs as root, otherwise the caller) and
# reached through a Unix socket only.
#
#   scripts/postgres.sh start   initialise on first use, start, and make a fresh
#                               database "lumadrel"; prints its connection URL
#   scripts/postgres.sh stop
#   scripts/postgres.sh url     the URL of a running cluster (for --db)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
STATE="$ROOT/build/postgres"
PORT=5499
DATABASE=lumadrel

BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$BIN" ] || { echo "postgres: PostgreSQL is not installed (run scripts/install-deps.sh)" >&2; exit 1; }

if [ "$(id -u)" = 0 ]; then
  OWNER=postgres
  as_owner() { runuser -u postgres -- "$@"; }
else
  OWNER=$(id -un)
  as_owner() { "$@"; }
fi

# The cluster lives below build/ when its owner can reach that folder; a clone in a
# folder the postgres user may not enter gets a folder of its own in /tmp instead.
cluster_folder() {
  mkdir -p "$STATE"
  if [ -f "$STATE/location" ]; then cat "$STATE/location"; return; fi
  local folder="$STATE/cluster"
  if ! as_owner test -x "$STATE" 2>/dev/null || [ ${#folder} -gt 80 ]; then
    folder=$(mktemp -d /tmp/lumadrel-postgres-XXXXXX)
  fi
  echo "$folder" >"$STATE/location"
  echo "$folder"
}

CLUSTER=$(cluster_folder)
DATA="$CLUSTER/data"
SOCKET="$CLUSTER/socket"  # socket paths must stay short: 107 bytes in all
LOG="$CLUSTER/server.log"

url() { echo "postgresql:///$DATABASE?host=$SOCKET&port=$PORT&user=$OWNER"; }

running() { [ -f "$DATA/postmaster.pid" ] && as_owner "$BIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1; }

start() {
  mkdir -p "$CLUSTER" "$SOCKET"
  [ "$OWNER" = "$(id -un)" ] || chown "$OWNER" "$CLUSTER" "$SOCKET"
  if [ ! -f "$DATA/PG_VERSION" ]; then
    rm -rf "$DATA"
    as_owner "$BIN/initdb" -D "$DATA" -A trust -U "$OWNER" -E UTF8 --locale=C.UTF-8 >"$CLUSTER/initdb.log" 2>&1 \
      || { cat "$CLUSTER/initdb.log" >&2; return 1; }
  fi
  if ! running; then
    # Commits as durable as the SQLite store's (WAL, synchronous=NORMAL): they survive a
    # crash of any server process, not of the machine.
    as_owner "$BIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 60 start \
      -o "-k $SOCKET -p $PORT -c listen_addresses='' -c synchronous_commit=off -c max_connections=200" \
      >/dev/null || { tail -20 "$LOG" >&2; return 1; }
  fi
  as_owner env PGOPTIONS="-c client_min_messages=warning" "$BIN/dropdb" -h "$SOCKET" -p "$PORT" -U "$OWNER" --if-exists "$DATABASE"
  as_owner "$BIN/createdb" -h "$SOCKET" -p "$PORT" -U "$OWNER" "$DATABASE"
  url
}

stop() {
  if running; then as_owner "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null; fi
  echo "postgres: stopped"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  url) running || { echo "postgres: not running (scripts/postgres.sh start)" >&2; exit 1; }; url ;;
  *) echo "usage: $0 start|stop|url" >&2; exit 2 ;;
esac
