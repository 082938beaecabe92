# Sourced by the scripts that run Windows programs: the project's own Wine
# prefix under the build tree, a Chinese locale (ANSI code page 936), quiet Wine.
LUMADREL_ROOT="${LUMADREL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${LUMADREL_WINEPREFIX:-$LUMADREL_ROOT/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LUMADREL_LOCALE:-zh_CN.UTF-8}"
export LANG="$LC_ALL"
# The display of the running test bed, when one was started.
if [ -z "${DISPLAY:-}" ] && [ -f "$LUMADREL_ROOT/build/testbed/display" ]; then
  export DISPLAY="$(cat "$LUMADREL_ROOT/build/testbed/display")"
fi

# Creates the prefix once; later calls find it ready. A lock keeps parallel
# test processes from creating it twice.
lumadrel_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.lumadrel-ready" ]; then
      echo "wine: creating prefix $WINEPREFIX (once)" >&2
      DISPLAY= wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.lumadrel-ready"
    fi
  ) 9>"$(dirname "$WINEPREFIX")/.wine-prefix.lock"
}
