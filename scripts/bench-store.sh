#!/usr/bin/env bash
# Runs bench/store_bench (SQLite against PostgreSQL, one and two server processes)
# against a throw-away PostgreSQL cluster, started and stopped here.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
build_preset native store_bench lumadrel-server
URL=$(scripts/postgres.sh start)
trap 'scripts/postgres.sh stop >/dev/null' EXIT
LUMADREL_BENCH_POSTGRES="$URL" build/native/bench/store_bench
