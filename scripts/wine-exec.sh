#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the CTest emulator
# of the win32 build). Every run is bounded so that nothing hangs.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
lumadrel_ensure_prefix
exec timeout --kill-after=5 "${LUMADREL_WINE_TIMEOUT:-300}" wine "$@"
