#!/usr/bin/env bash
# Builds a libFuzzer target with clang (ASan + UBSan) into build/fuzz and runs it.
#
# Usage: scripts/fuzz.sh <target> <seconds> [libFuzzer options...]
#        scripts/fuzz.sh list
# <target> names tests/fuzz/<target>_fuzz.cpp. Its header lines say what it needs:
#   // fuzz-sources: <globs of library sources, from the repository root>
#   // fuzz-libraries: <linker flags>
#   // fuzz-seeds: <globs of seed files>
# Seconds 0 runs the seeds and the saved regression inputs once and stops (for CI).
# New corpus entries stay in build/fuzz/<target>/corpus; crashing inputs go to
# build/fuzz/<target>/crashes. Copy a fixed crash to
# tests/data/fuzz-regressions/<target>/ so that every later run replays it.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
FUZZ_SOURCES=$REPO/tests/fuzz
say() { echo "fuzz: $*"; }

if [ "${1:-}" = "list" ]; then
  for f in "$FUZZ_SOURCES"/*_fuzz.cpp; do basename "$f" _fuzz.cpp; done
  exit 0
fi
if [ $# -lt 2 ]; then
  sed -n '4,13p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
TARGET=$1
SECONDS_TO_RUN=$2
shift 2
SOURCE=$FUZZ_SOURCES/${TARGET}_fuzz.cpp
[ -f "$SOURCE" ] || { say "no target $TARGET (try: scripts/fuzz.sh list)"; exit 2; }
command -v clang++ >/dev/null || { say "clang++ is missing: run scripts/install-deps.sh"; exit 1; }

header() { sed -n "s|^// $1: *||p" "$SOURCE" | head -n 1; }
expand() { (cd "$REPO" && for pattern in $1; do for f in $pattern; do [ -e "$f" ] && echo "$REPO/$f"; done; done) || true; }

mapfile -t library_sources < <(expand "$(header fuzz-sources)" | grep -v '_win32\.cpp$')
mapfile -t seed_files < <(expand "$(header fuzz-seeds)")
read -r -a libraries <<<"$(header fuzz-libraries)"

WORK=$REPO/build/fuzz/$TARGET
BINARY=$WORK/${TARGET}_fuzz
mkdir -p "$WORK/corpus" "$WORK/crashes" "$WORK/seeds"

# Objects are shared by all targets; one is rebuilt when its source or any
# header beside the sources is newer.
OBJECTS=$REPO/build/fuzz/objects
mkdir -p "$OBJECTS"
newest_header=$(for f in "$SOURCE" "${library_sources[@]}"; do ls -1 "$(dirname "$f")"/*.h 2>/dev/null; done |
  sort -u | xargs -r ls -1t | head -n 1)
begin=$(date +%s)
objects=()
built=0
for f in "$SOURCE" "${library_sources[@]}"; do
  object=$OBJECTS/$(echo "${f#"$REPO"/}" | tr '/' '_').o
  objects+=("$object")
  if [ -f "$object" ] && [ ! "$f" -nt "$object" ] && { [ -z "$newest_header" ] || [ ! "$newest_header" -nt "$object" ]; }; then
    continue
  fi
  built=$((built + 1))
  clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined \
    -fno-sanitize-recover=undefined -I"$REPO" -c "$f" -o "$object" &
  # Two compilers at a time on this machine.
  if [ "$(jobs -rp | wc -l)" -ge 2 ]; then wait -n; fi
done
wait
if [ "$built" -gt 0 ] || [ ! -x "$BINARY" ]; then
  clang++ -fsanitize=fuzzer,address,undefined "${objects[@]}" "${libraries[@]}" -o "$BINARY"
  say "built $BINARY ($built objects compiled) in $(( $(date +%s) - begin )) s"
fi

rm -f "$WORK/seeds"/*
for f in "${seed_files[@]}"; do cp "$f" "$WORK/seeds/"; done
REGRESSIONS=$REPO/tests/data/fuzz-regressions/$TARGET
dirs=("$WORK/seeds")
[ -d "$REGRESSIONS" ] && dirs+=("$REGRESSIONS")

if [ "$SECONDS_TO_RUN" = 0 ]; then
  say "replaying ${#seed_files[@]} seeds and the saved regressions of $TARGET"
  inputs=("$WORK/seeds"/*)
  [ -d "$REGRESSIONS" ] && inputs+=("$REGRESSIONS"/*)
  "$BINARY" -runs=1 "${inputs[@]}" 2>&1 | tail -n 3
  say "ok"
  exit 0
fi

say "running $TARGET for $SECONDS_TO_RUN s (corpus $WORK/corpus)"
cd "$WORK"
started=$(date +%s)
"$BINARY" -max_total_time="$SECONDS_TO_RUN" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$WORK/crashes/" "$@" "$WORK/corpus" "${dirs[@]}"
# A target that ends the process itself (exit, abort outside the sanitizers) can
# still leave a zero status behind: a run cut short is a failure too.
if [ $(( $(date +%s) - started )) -lt "$SECONDS_TO_RUN" ]; then
  say "$TARGET ended after $(( $(date +%s) - started )) s of $SECONDS_TO_RUN"
  exit 1
fi
