# Sourced by ./run and ./test: named steps with timing, and a clear verdict
# naming the step that failed.
LUMADREL_ROOT="${LUMADREL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
STEPS_START=$(date +%s)

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
