#!/usr/bin/env bash
# The Windows test bed: an X display (Xvfb) for tests that make windows and a
# persistent wineserver for the project's prefix of the Windows target
# (LUMADREL_WINDOWS_TARGET, see wine-env.sh), started on demand and stopped
# afterwards. Both targets share the display, unless LUMADREL_TESTBED names a
# second test bed (state in build/testbed/NAME) with a display of its own.
#
#   scripts/testbed.sh start    start both (reuses a running test bed)
#   scripts/testbed.sh stop     stop the display and every prefix's wineserver
#   scripts/testbed.sh status
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
STATE="$LUMADREL_TESTBED_STATE"
mkdir -p "$STATE"

display_alive() { [ -f "$STATE/xvfb.pid" ] && kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null; }

start_xvfb() {
  if display_alive; then return 0; fi
  command -v Xvfb >/dev/null || { echo "testbed: Xvfb is not installed (run scripts/install-deps.sh)" >&2; return 1; }
  local number
  for number in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >"$STATE/xvfb.log" 2>&1 </dev/null &
    echo $! >"$STATE/xvfb.pid"
    for _ in $(seq 1 50); do
      if [ -e "/tmp/.X11-unix/X$number" ]; then
        echo ":$number" >"$STATE/display"
        echo "testbed: display :$number"
        return 0
      fi
      kill -0 "$(cat "$STATE/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
    kill "$(cat "$STATE/xvfb.pid")" 2>/dev/null || true
    rm -f "$STATE/xvfb.pid"
  done
  echo "testbed: could not start an X display (Xvfb); see $STATE/xvfb.log" >&2
  return 1
}

start_wineserver() {
  lumadrel_ensure_prefix
  # Its output must not hold the caller's pipes open. A server that already
  # runs for this prefix refuses to start a second one, which is fine.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # The first programs of a fresh server start Wine's own services; two test
  # programs racing to do that can hang, so one program does it first. It is
  # also the proof that this target's programs start here at all.
  if ! DISPLAY="$(cat "$STATE/display" 2>/dev/null || true)" timeout 120 "$LUMADREL_WINE" cmd.exe /c exit \
      >"$STATE/first-program-$LUMADREL_WINDOWS_TARGET.log" 2>&1 </dev/null; then
    echo "testbed: $LUMADREL_WINE could not start a $LUMADREL_WINDOWS_TARGET program (cmd.exe):" \
      "$(tail -n 1 "$STATE/first-program-$LUMADREL_WINDOWS_TARGET.log")" >&2
    return 1
  fi
}

start_all() {
  local begin
  begin=$(date +%s)
  start_xvfb
  start_wineserver
  echo "testbed: $LUMADREL_WINDOWS_TARGET ready in $(( $(date +%s) - begin ))s (prefix $WINEPREFIX)"
}

stop_all() {
  local prefix
  for prefix in "$(lumadrel_wine_prefix win32)" "$(lumadrel_wine_prefix win64)" "$WINEPREFIX"; do
    if [ -d "$prefix" ]; then WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; fi
  done
  if display_alive; then kill "$(cat "$STATE/xvfb.pid")" 2>/dev/null || true; fi
  rm -f "$STATE/xvfb.pid" "$STATE/display"
}

case "${1:-}" in
  start) start_all ;;
  stop) stop_all ;;
  status) if display_alive; then echo "display $(cat "$STATE/display")"; else echo "no display"; fi ;;
  *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
