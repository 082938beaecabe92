#!/usr/bin/env bash
# Cross-builds the libraries that Debian ships no MinGW packages of (libpng,
# libjpeg-turbo, libsodium) as static Windows libraries, one prefix per target:
# build/deps/win32 (i686, the product) and build/deps/win64 (x86_64, the test
# target). Sources come from Debian's source packages into a cache shared by
# both and are never part of the repository. Idempotent: a complete prefix is
# left alone.
#
# Usage: scripts/build-windows-deps.sh win32|win64 [--force]
#   LUMADREL_DEPS_DIR overrides the cache folder (default: <repo>/build/deps).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
REPO=$LUMADREL_ROOT
TARGET=${1:-}
TRIPLET=$(lumadrel_triplet "$TARGET" 2>/dev/null) || { echo "usage: $0 win32|win64 [--force]" >&2; exit 2; }
TOOLCHAIN=$REPO/cmake/mingw-${TRIPLET%%-*}.cmake
DEPS=${LUMADREL_DEPS_DIR:-$REPO/build/deps}
SRC=$DEPS/src
WORK=$DEPS/build-$TARGET
PREFIX=$DEPS/$TARGET
MINGW_ZLIB_INCLUDE=/usr/$TRIPLET/include
MINGW_ZLIB_LIBRARY=/usr/$TRIPLET/lib/libz.a
STAMP=$PREFIX/.complete

say() { echo "build-windows-deps ($TARGET): $*"; }

if [ "${2:-}" = "--force" ]; then
  rm -f "$STAMP"
fi

complete() {
  [ -f "$STAMP" ] && [ -f "$PREFIX/include/png.h" ] && [ -f "$PREFIX/include/jpeglib.h" ] &&
    [ -f "$PREFIX/lib/libpng.a" ] && [ -f "$PREFIX/lib/libjpeg.a" ] &&
    [ -f "$PREFIX/include/sodium.h" ] && [ -f "$PREFIX/lib/libsodium.a" ]
}
if complete; then
  say "up to date ($(cat "$STAMP")) in $PREFIX"
  exit 0
fi

for tool in $TRIPLET-gcc-posix cmake ninja dpkg-source autoreconf libtoolize make; do
  command -v "$tool" >/dev/null || { say "missing $tool: run scripts/install-deps.sh"; exit 1; }
done
[ -f "$MINGW_ZLIB_LIBRARY" ] || { say "missing $MINGW_ZLIB_LIBRARY: run scripts/install-deps.sh"; exit 1; }

started=$(date +%s)
mkdir -p "$SRC" "$WORK" "$PREFIX"

# Prints the unpacked source folder of a Debian source package, fetching it once.
fetch_source() {
  local package=$1 folder
  folder=$(find "$SRC" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | sort | tail -n 1)
  if [ -z "$folder" ]; then
    say "fetching the Debian source of $package" >&2
    # A mirror may not yet carry the newest listed version: try the older ones too.
    local fetched= version
    for version in "" $(apt-cache showsrc "$package" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -Vr); do
      if (cd "$SRC" && apt-get source -qq "$package${version:+=$version}" >/dev/null 2>"$SRC/$package.log"); then
        fetched=1
        break
      fi
    done
    if [ -z "$fetched" ]; then
      cat "$SRC/$package.log" >&2
      say "apt-get source $package failed (are deb-src entries set up? run scripts/install-deps.sh)" >&2
      exit 1
    fi
    folder=$(find "$SRC" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | sort | tail -n 1)
  fi
  [ -n "$folder" ] || { say "no source folder for $package" >&2; exit 1; }
  echo "$folder"
}

# build <name> <source folder> <cmake options...>
build() {
  local name=$1 source=$2
  shift 2
  local begin
  begin=$(date +%s)
  say "building $name from $(basename "$source")"
  rm -rf "${WORK:?}/$name"
  cmake -S "$source" -B "$WORK/$name" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" >"$WORK/$name.configure.log" 2>&1 ||
    { cat "$WORK/$name.configure.log"; exit 1; }
  cmake --build "$WORK/$name" -j2 >"$WORK/$name.build.log" 2>&1 || { tail -n 50 "$WORK/$name.build.log"; exit 1; }
  cmake --install "$WORK/$name" >"$WORK/$name.install.log" 2>&1 || { cat "$WORK/$name.install.log"; exit 1; }
  say "built $name in $(( $(date +%s) - begin )) s"
}

# build_autotools <name> <source folder> <configure options...>: an out-of-tree
# configure and make into the prefix (the source gets its configure script once).
build_autotools() {
  local name=$1 source=$2
  shift 2
  local begin
  begin=$(date +%s)
  say "building $name from $(basename "$source")"
  if [ ! -x "$source/configure" ]; then
    # -s: no download of config.guess/config.sub; automake's own copies serve.
    (cd "$source" && ./autogen.sh -s) >"$WORK/$name.autogen.log" 2>&1 || { cat "$WORK/$name.autogen.log"; exit 1; }
  fi
  rm -rf "${WORK:?}/$name"
  mkdir -p "$WORK/$name"
  (cd "$WORK/$name" && "$source/configure" --host="$TRIPLET" --prefix="$PREFIX" --disable-shared --enable-static \
    CC="$TRIPLET-gcc-posix" "$@") >"$WORK/$name.configure.log" 2>&1 || { tail -n 50 "$WORK/$name.configure.log"; exit 1; }
  make -C "$WORK/$name" -j2 >"$WORK/$name.build.log" 2>&1 || { tail -n 50 "$WORK/$name.build.log"; exit 1; }
  make -C "$WORK/$name" install >"$WORK/$name.install.log" 2>&1 || { tail -n 50 "$WORK/$name.install.log"; exit 1; }
  say "built $name in $(( $(date +%s) - begin )) s"
}

png_source=$(fetch_source libpng1.6 libpng1.6)
jpeg_source=$(fetch_source libjpeg-turbo libjpeg-turbo)
sodium_source=$(fetch_source libsodium libsodium)

build libpng "$png_source" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DZLIB_INCLUDE_DIR="$MINGW_ZLIB_INCLUDE" -DZLIB_LIBRARY="$MINGW_ZLIB_LIBRARY"
# Without nasm the SIMD code cannot be assembled; the C paths are enough here.
build libjpeg-turbo "$jpeg_source" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF

# The updater verifies update signatures with it (Ed25519, BLAKE2b).
build_autotools libsodium "$sodium_source" --disable-dependency-tracking

# libpng installs its static library as libpng16.a; give it the plain name as well.
if [ ! -f "$PREFIX/lib/libpng.a" ] && [ -f "$PREFIX/lib/libpng16.a" ]; then
  cp "$PREFIX/lib/libpng16.a" "$PREFIX/lib/libpng.a"
fi

echo "$(basename "$png_source"), $(basename "$jpeg_source"), $(basename "$sodium_source")" >"$STAMP"
complete || { say "prefix $PREFIX is incomplete after the build"; exit 1; }
say "done in $(( $(date +%s) - started )) s: $PREFIX"
