#!/usr/bin/env bash
# Runs the update download benchmark under Wine: a 200 MB file published and
# served by the reference server on loopback, downloaded by the updater's
# code and by a plain WinINet read loop in the same run, then installed by
# tovrin.exe while its peak working set is watched.
#
#   scripts/bench-update.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT=$LUMADREL_ROOT
TARGET=$(lumadrel_first_windows_target) || exit 1
export LUMADREL_WINDOWS_TARGET=$TARGET
step "build (host)" build_preset native lumadrel-server lumadrel-publish
step "build ($TARGET)" build_preset "$TARGET" tovrin update_download_bench

BENCH="$ROOT/build/bench-update"
SIZE=$((200 * 1024 * 1024))
mkdir -p "$BENCH/source" "$BENCH/scratch"
if [ "$(stat -c %s "$BENCH/source/big.dat" 2>/dev/null || echo 0)" != "$SIZE" ]; then
  head -c "$SIZE" /dev/urandom >"$BENCH/source/big.dat"
fi
rm -rf "$BENCH/www" "$BENCH/game"
# Signed with the TEST key the default brand's updater pins.
build/native/tools/publish/lumadrel-publish --version 1.0.1 --from "$BENCH/source" --www "$BENCH/www" \
  --sign-key tests/data/update-keys/TEST-ONLY-key-a.key >/dev/null
mkdir -p "$BENCH/game"
# As players get it: without debug information.
"$(lumadrel_strip_tool "$TARGET")" -o "$BENCH/game/tovrin.exe" "build/$TARGET/updater/tovrin.exe"
lumadrel_write_update_ini "$BENCH/game/update.ini" 1.0.0

build/native/server/lumadrel-server --address 127.0.0.1 --port 0 --http-port 0 --db "$BENCH/server.db" \
  --www "$BENCH/www" >"$BENCH/server.out" 2>"$BENCH/server.log" </dev/null &
SERVER_PID=$!
trap 'kill -TERM "$SERVER_PID" 2>/dev/null || true; scripts/testbed.sh stop >/dev/null 2>&1 || true' EXIT
for _ in $(seq 1 100); do grep -q '^listening' "$BENCH/server.out" 2>/dev/null && break; sleep 0.1; done
PORT=$(sed -n 's/.*http 127.0.0.1:\([0-9]*\).*/\1/p' "$BENCH/server.out")
scripts/testbed.sh start >/dev/null
source scripts/wine-env.sh
"$LUMADREL_WINE" "build/$TARGET/bench/update_download_bench.exe" \
  "http://127.0.0.1:$PORT/vorlenk2/files/1.0.1/big.dat" "$SIZE" "$(lumadrel_windows_path "$BENCH/scratch")" \
  "$(lumadrel_windows_path "$BENCH/game")" "http://127.0.0.1:$PORT/vorlenk2/update.xml" "${1:-5}" 2>&1 | grep -v 'Read access denied'
