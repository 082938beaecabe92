#!/usr/bin/env bash
# Runs the launch benchmark under Wine with a warm wineserver: the launcher's
# first paint and peak working set against a bare Win32 program showing the
# same 600 × 450 PNG.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
source scripts/steps.sh
step "build" build_preset win32 Lumadrel tovrin launch_bench bare_png_window fixture_game_client
scripts/game-folder.sh build/bench-game 1.0.0
scripts/testbed.sh start >/dev/null
trap 'scripts/testbed.sh stop >/dev/null 2>&1 || true' EXIT
source scripts/wine-env.sh
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
(cd build && lumadrel_wine win32/bench/launch_bench.exe "$(winpath "$ROOT/build/bench-game")" \
   "$(winpath "$ROOT/build/win32/bench/bare_png_window.exe")" "$(winpath "$ROOT/launcher/art/main_background.png")" \
   "${1:-5}") 2>&1 | grep -v 'Read access denied'
