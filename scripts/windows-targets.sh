#!/usr/bin/env bash
# Finds out which Windows targets can run their programs on this machine and
# prints them ("win32 win64", "win64" or nothing), with one sentence per
# target that cannot run on standard error.
#
# The product is 32-bit; some machines cannot execute 32-bit programs at all
# (the kernel answers "Exec format error"), and there only the x86_64 test
# target can run under 64-bit Wine. LUMADREL_WINDOWS_TARGETS (e.g. "win64")
# overrides the detection, so the other path can be tried on any machine.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ -n "${LUMADREL_WINDOWS_TARGETS:-}" ]; then
  for target in $LUMADREL_WINDOWS_TARGETS; do
    case "$target" in win32|win64) ;; *) echo "LUMADREL_WINDOWS_TARGETS names '$target'; only win32 and win64 exist" >&2; exit 2 ;; esac
  done
  for target in win32 win64; do
    case " $LUMADREL_WINDOWS_TARGETS " in
      *" $target "*) ;;
      *) echo "$target: not run here because LUMADREL_WINDOWS_TARGETS=\"$LUMADREL_WINDOWS_TARGETS\" leaves it out" >&2 ;;
    esac
  done
  echo "$LUMADREL_WINDOWS_TARGETS"
  exit 0
fi

runnable=()
if why=$(lumadrel_loader_runs "$LUMADREL_WINE_LIBRARY/wine"); then
  runnable+=(win32)
else
  echo "win32: this machine cannot start 32-bit Windows programs: $why" >&2
fi
if why=$(lumadrel_loader_runs "$LUMADREL_WINE_LIBRARY/wine64"); then
  runnable+=(win64)
else
  echo "win64: this machine cannot start 64-bit Windows programs: $why" >&2
fi
echo "${runnable[*]}"
