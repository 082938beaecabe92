#!/usr/bin/env bash
# Runs the launch benchmark under Wine with a warm wineserver: the launcher's
# first paint and peak working set against a bare Win32 program showing the
# same 600 × 450 PNG, started alternately in the same run.
#
#   scripts/bench-launch.sh [ROUNDS] [TRACE_FOLDER]
# LUMADREL_WINDOWS_TARGET picks the build (win32, the product, by default; or
# win64). With TRACE_FOLDER every launcher start also writes its start-up
# trace there (round-N.json); the traced starts are measured like the others.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT=$LUMADREL_ROOT
TARGET="${LUMADREL_WINDOWS_TARGET:-win32}"
step "build" build_preset "$TARGET" Lumadrel tovrin launch_bench bare_png_window bare_launcher_work fixture_game_client
scripts/game-folder.sh "build/bench-game-$TARGET" 1.0.0 "$TARGET"
scripts/testbed.sh start >/dev/null
trap 'scripts/testbed.sh stop >/dev/null 2>&1 || true' EXIT
source scripts/wine-env.sh
trace=()
if [ -n "${2:-}" ]; then
  mkdir -p "$2"
  trace=("$(lumadrel_windows_path "$(cd "$2" && pwd)")")
fi
# The second anchor: the launcher's work before its first paint, without the runtime.
export LUMADREL_BENCH_WORK_ANCHOR="$(lumadrel_windows_path "$ROOT/build/$TARGET/bench/bare_launcher_work.exe")"
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
(cd build && lumadrel_wine "$TARGET/bench/launch_bench.exe" "$(lumadrel_windows_path "$ROOT/build/bench-game-$TARGET")" \
   "$(lumadrel_windows_path "$ROOT/build/$TARGET/bench/bare_png_window.exe")" "$(lumadrel_windows_path "$ROOT/launcher/art/main_background.png")" \
   "${1:-5}" "${trace[@]}") 2>&1 | grep -v 'Read access denied'
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
