# Sourced by the scripts that run Windows programs: the project's own Wine
# prefix under the build tree, a Chinese locale (ANSI code page 936), quiet Wine.
#
# LUMADREL_WINDOWS_TARGET picks the Windows target whose programs are run:
#   win32  (default) the i686 product, through Wine's 32-bit loader, in
#          build/wine-prefix;
#   win64  the x86_64 test target, through Wine's 64-bit loader, in a 64-bit
#          prefix of its own (build/wine-prefix-win64), for machines that
#          cannot start 32-bit programs.
# LUMADREL_WINE is the Wine loader every script runs programs with.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
export LUMADREL_WINDOWS_TARGET="${LUMADREL_WINDOWS_TARGET:-win32}"
LUMADREL_WINE_LIBRARY="${LUMADREL_WINE_LIBRARY:-/usr/lib/wine}"
case "$LUMADREL_WINDOWS_TARGET" in
  win64)
    export LUMADREL_WINE="$LUMADREL_WINE_LIBRARY/wine64"
    export WINEARCH=win64
    export WINELOADER="$LUMADREL_WINE"
    export WINEPREFIX="${LUMADREL_WINEPREFIX:-$(lumadrel_wine_prefix win64)}"
    ;;
  win32)
    export LUMADREL_WINE="$LUMADREL_WINE_LIBRARY/wine"
    export WINEPREFIX="${LUMADREL_WINEPREFIX:-$(lumadrel_wine_prefix win32)}"
    ;;
  *)
    echo "wine: LUMADREL_WINDOWS_TARGET is '$LUMADREL_WINDOWS_TARGET'; it must be win32 or win64" >&2
    return 2 2>/dev/null || exit 2
    ;;
esac
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LUMADREL_LOCALE:-zh_CN.UTF-8}"
export LANG="$LC_ALL"
# The state folder of the test bed (scripts/testbed.sh): build/testbed, or a
# named second one with a display of its own (LUMADREL_TESTBED=NAME), so that
# two targets' window tests can run side by side without covering each other.
LUMADREL_TESTBED_STATE="$LUMADREL_ROOT/build/testbed${LUMADREL_TESTBED:+/$LUMADREL_TESTBED}"
# The display of the running test bed, when one was started.
if [ -z "${DISPLAY:-}" ] && [ -f "$LUMADREL_TESTBED_STATE/display" ]; then
  export DISPLAY="$(cat "$LUMADREL_TESTBED_STATE/display")"
fi

# Runs a program with the target's loader.
lumadrel_wine() { "$LUMADREL_WINE" "$@"; }

# Succeeds when `loader --version` runs; otherwise prints why it does not.
lumadrel_loader_runs() {
  local loader=${1:-$LUMADREL_WINE} output status
  [ -e "$loader" ] || { echo "its Wine loader $loader is not installed"; return 1; }
  # Through bash: a plain exec that meets "Exec format error" would fall back
  # to running the binary as a shell script.
  output=$(LC_ALL=C timeout 20 bash -c 'exec "$0" --version' "$loader" 2>&1)
  status=$?
  [ "$status" = 0 ] && return 0
  if [ "$status" = 124 ]; then echo "its Wine loader $loader did not answer within 20 s"; return 1; fi
  case "$output" in
    *"Exec format error"*) echo "the kernel cannot execute its Wine loader $loader (\"Exec format error\")" ;;
    *) echo "its Wine loader $loader failed: $(echo "$output" | tail -n 1)" ;;
  esac
  return 1
}

# A prefix is whole once Wine wrote its registry and system folder; the
# marker says that this script saw it so.
lumadrel_prefix_whole() {
  [ -f "$WINEPREFIX/.lumadrel-ready" ] && [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows" ]
}

# Settings every prefix the project makes carries, written once per prefix
# (the marker says so):
# - The form font of Chinese Windows is SimSun; a Chinese-locale prefix has
#   no such font and falls back to a wider one, so text overflows its
#   control. The SimSun family names map to AR PL UMing
#   (fonts-arphic-uming), which has its metrics.
# - Programs keep to the prefix: a new prefix links the user's desktop and
#   document folders to the home folder, so the launcher's desktop shortcut
#   landed in the home folder of whoever ran the tests; the links become
#   folders of the prefix. And Wine's menu builder, which Wine starts on
#   every shortcut saved to write a desktop entry for it, is off.
LUMADREL_SETTINGS_MARKER=.lumadrel-settings-2
lumadrel_prefix_settings() {
  [ -f "$WINEPREFIX/$LUMADREL_SETTINGS_MARKER" ] && return 0
  local reg="$WINEPREFIX/lumadrel-settings.reg" served=0 link
  for link in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos,Templates}; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
  done
  wineserver -k0 >/dev/null 2>&1 && served=1
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"SimSun"="AR PL UMing CN"' '"NSimSun"="AR PL UMing CN"' \
    '"宋体"="AR PL UMing CN"' '"新宋体"="AR PL UMing CN"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' \
    '"winemenubuilder.exe"=""' |
    iconv -f UTF-8 -t UTF-16 >"$reg"  # with a byte-order mark, as regedit wants
  if DISPLAY= timeout 120 "$LUMADREL_WINE" regedit /S "$(lumadrel_windows_path "$reg")" >/dev/null 2>&1; then
    touch "$WINEPREFIX/$LUMADREL_SETTINGS_MARKER"
  else
    echo "wine: could not write the project's settings into $WINEPREFIX" >&2
  fi
  # Without a server before, regedit started one of its own; while it lingers,
  # the test bed's persistent server cannot start and every test pays for a
  # fresh one.
  [ "$served" = 1 ] || timeout 120 wineserver -w >/dev/null 2>&1 || true
}

# Creates the prefix once; later calls find it ready. A prefix that an
# earlier run left half-made is removed and made again. A lock keeps parallel
# test processes from creating it twice.
lumadrel_ensure_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if lumadrel_prefix_whole; then lumadrel_prefix_settings; exit 0; fi
    if [ -e "$WINEPREFIX" ]; then
      echo "wine: the prefix $WINEPREFIX was left half-made by an earlier run; making it again" >&2
      wineserver -k >/dev/null 2>&1 || true
      rm -rf "$WINEPREFIX"
    fi
    local why
    why=$(lumadrel_loader_runs) || { echo "wine: cannot create the prefix $WINEPREFIX: $why" >&2; exit 1; }
    echo "wine: creating the $LUMADREL_WINDOWS_TARGET prefix $WINEPREFIX (once)" >&2
    local begin log="$(dirname "$WINEPREFIX")/.$(basename "$WINEPREFIX").create.log"
    begin=$(date +%s)
    DISPLAY= timeout 300 "$LUMADREL_WINE" wineboot -i >"$log" 2>&1 || true
    lumadrel_prefix_settings
    timeout 120 wineserver -w >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
      echo "wine: could not create the prefix $WINEPREFIX with $LUMADREL_WINE: $(tail -n 1 "$log" 2>/dev/null)" >&2
      exit 1
    fi
    touch "$WINEPREFIX/.lumadrel-ready"
    echo "wine: prefix created in $(( $(date +%s) - begin ))s" >&2
  ) 9>"$(dirname "$WINEPREFIX")/.$(basename "$WINEPREFIX").lock"
}
