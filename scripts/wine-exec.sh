#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the CTest emulator
# of the Windows builds). Every run is bounded so that nothing hangs; a run
# that reaches its time limit is reported by name.
#
#   scripts/wine-exec.sh [--win32|--win64] program.exe [arguments...]
# The flag (each build's CTest emulator passes its own) selects the loader and
# prefix; without one LUMADREL_WINDOWS_TARGET decides (default win32).
set -u
case "${1:-}" in
  --win32|--win64) export LUMADREL_WINDOWS_TARGET="${1#--}"; shift ;;
esac
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
lumadrel_ensure_prefix || exit 1
limit="${LUMADREL_WINE_TIMEOUT:-300}"
timeout --kill-after=5 "$limit" "$LUMADREL_WINE" "$@"
status=$?
if [ "$status" = 124 ] || [ "$status" = 137 ]; then
  echo "wine-exec: $(basename "${1:-?}") did not finish within ${limit}s and was stopped" >&2
fi
exit "$status"
