# Sourced by the project's scripts (run, test, release.sh, game-folder.sh, bench-*.sh, testbed.sh,
# wine-env.sh, ...): named steps with timing, the Windows targets and their tools, Wine paths and
# prefixes, the brand a build was made for, and update.ini.
LUMADREL_ROOT="${LUMADREL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
STEPS_START="${STEPS_START:-$(date +%s)}"

# Runs a named step with its timing; a failure names the step and its command and ends the script.
step() {
  local name="$1"; shift
  local begin=$(date +%s)
  echo "==> [$(( begin - STEPS_START ))s] $name"
  if "$@"; then
    echo "    ok: $name ($(( $(date +%s) - begin ))s)"
  else
    local status=$?
    echo "!!! FAILED: $name (exit status $status after $(( $(date +%s) - begin ))s)" >&2
    echo "!!! command: $*" >&2
    exit "$status"
  fi
}

# Configure (once) and build a preset; extra arguments are ninja targets.
build_preset() {
  local preset="$1"; shift
  local dir="$LUMADREL_ROOT/build/$preset"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" -S "$LUMADREL_ROOT" >"$LUMADREL_ROOT/build/configure-$preset.log" 2>&1 \
      || { tail -30 "$LUMADREL_ROOT/build/configure-$preset.log" >&2; return 1; }
  fi
  ninja -C "$dir" -j"${LUMADREL_JOBS:-2}" "$@"
}

# The MinGW triplet of a Windows target: win32 is the product (i686), win64 the x86_64 test target.
lumadrel_triplet() {
  case "$1" in
    win32) echo i686-w64-mingw32 ;;
    win64) echo x86_64-w64-mingw32 ;;
    *) echo "unknown Windows target '$1' (win32 or win64)" >&2; return 2 ;;
  esac
}

# The strip tool of a Windows target: shipped programs carry no debug information.
lumadrel_strip_tool() {
  local triplet
  triplet=$(lumadrel_triplet "$1") && echo "$triplet-strip"
}

# The project's Wine prefix of a Windows target (LUMADREL_WINEPREFIX replaces it in wine-env.sh).
lumadrel_wine_prefix() {
  case "$1" in
    win32) echo "$LUMADREL_ROOT/build/wine-prefix" ;;
    win64) echo "$LUMADREL_ROOT/build/wine-prefix-win64" ;;
    *) echo "unknown Windows target '$1' (win32 or win64)" >&2; return 2 ;;
  esac
}

# The Windows targets whose programs start here ("win32 win64", "win64" or nothing); one sentence
# per target that cannot is in build/windows-targets.why.
lumadrel_windows_targets() {
  local why="$LUMADREL_ROOT/build/windows-targets.why"
  mkdir -p "$LUMADREL_ROOT/build"
  "$LUMADREL_ROOT/scripts/windows-targets.sh" 2>"$why" || { cat "$why" >&2; return 1; }
}

# The first of those targets (win32, the product, before win64); fails saying so when none can run.
lumadrel_first_windows_target() {
  local targets
  targets=$(lumadrel_windows_targets 2>/dev/null) || targets=
  [ -n "$targets" ] || { echo "no Windows target can run here" >&2; return 1; }
  echo "${targets%% *}"
}

# A Unix path as Windows programs see it under Wine, where drive Z: is the root: /a/b is Z:\a\b.
lumadrel_windows_path() { printf 'Z:%s\n' "$1" | tr / '\\'; }

# One value of the brand a build was made for (its brand/brand.json): lumadrel_brand BUILD KEY.
lumadrel_brand() {
  python3 -c 'import json, sys; print(json.load(open(sys.argv[1], encoding="utf-8"))[sys.argv[2]])' \
    "$1/brand/brand.json" "$2"
}

# Writes update.ini with the installed version, in GBK as the launcher and the updater read it:
# lumadrel_write_update_ini FILE VERSION.
lumadrel_write_update_ini() {
  printf '[更新配置]\r\n当前版本=%s\r\n' "$2" | iconv -f UTF-8 -t GBK >"$1"
}
