#!/usr/bin/env bash
# Runs the delta update benchmark: each kind of change to a generated file,
# updated by tovrin.exe under Wine and by zsync from the same reference
# server's --www in the same run (bench/delta_bench.py), then the chunker's
# throughput against SHA-256 over the same bytes.
#
#   scripts/bench-delta.sh [CASE...]     cases a b c d e (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
ROOT=$LUMADREL_ROOT
command -v zsyncmake >/dev/null || { echo "zsync is not installed (run scripts/install-deps.sh)" >&2; exit 1; }
TARGET=$(lumadrel_first_windows_target) || exit 1
export LUMADREL_WINDOWS_TARGET=$TARGET
step "build (host)" build_preset native lumadrel-server lumadrel-publish chunker_bench
step "build ($TARGET)" build_preset "$TARGET" tovrin

WORK="$ROOT/build/bench-delta"
mkdir -p "$WORK"
trap 'scripts/testbed.sh stop >/dev/null 2>&1 || true' EXIT
scripts/testbed.sh start >/dev/null
source scripts/wine-env.sh
DISPLAY="$(cat build/testbed/display)"
export DISPLAY
"$(lumadrel_strip_tool "$TARGET")" -o "$WORK/tovrin.exe" "build/$TARGET/updater/tovrin.exe"
python3 bench/delta_bench.py "$WORK" "$WORK/tovrin.exe" build/native/tools/publish/lumadrel-publish \
  build/native/server/lumadrel-server "$@"
build/native/bench/chunker_bench
