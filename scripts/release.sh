#!/usr/bin/env bash
# One command from a brand to what players download: builds the launcher and
# the updater for the brand (i686, stripped), signs them when a certificate is
# given, builds the installer and signs it too, and writes
# dist/<brand>-<version>/ with the installer, the bare programs, the publish
# tree (the files and the update document, as the update server serves them)
# and SHA256SUMS.
#
#   scripts/release.sh [--brand DIR] [--version X.Y.Z] [--target win32|win64]
#                      [--build DIR] [--out DIR]
#
# --brand    the brand folder (default brands/default)
# --version  the release's version in place of the brand's own
# --target   win32, the product (default); win64 builds the same release for
#            the x86_64 test target, where 32-bit programs cannot run
# --build    the build folder to configure and use (default build/release/<brand>-<target>)
# --out      the folder to write (default dist/<brand>-<version>)
#
# Signing: LUMADREL_SIGN_PKCS12 names a PKCS#12 file and LUMADREL_SIGN_PASSWORD
# holds its password (read from the environment, never given on a command
# line); LUMADREL_SIGN_TIMESTAMP_URL adds a time stamp. Without a certificate
# the release is unsigned and says so.
# The update document: LUMADREL_UPDATE_KEY names a minisign secret key file to
# sign it with (a key with a password reads it from
# LUMADREL_UPDATE_KEY_PASSWORD); without it the document is unsigned and the
# brand's updaters refuse it until it is signed (lumadrel-publish --resign).
# SOURCE_DATE_EPOCH (default: the last commit's time) fixes every time the
# outputs carry, so the same inputs give the same bytes (the document's
# expiry counts from it too: re-sign the published document when deploying).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
REPO=$LUMADREL_ROOT

BRAND=brands/default
VERSION=
TARGET=win32
BUILD=
OUT=
while [ $# -gt 0 ]; do
  case "$1" in
    --brand) BRAND=$2; shift 2 ;;
    --version) VERSION=$2; shift 2 ;;
    --target) TARGET=$2; shift 2 ;;
    --build) BUILD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    *) sed -n '7,27p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
BRAND=$(cd "$BRAND" && pwd)
BRAND_NAME=$(basename "$BRAND")
case "$TARGET" in
  win32) NSIS_TARGET=x86-unicode ;;
  win64) NSIS_TARGET=amd64-unicode ;;
  *) echo "release: --target is win32 or win64, not '$TARGET'" >&2; exit 2 ;;
esac
TRIPLET=$(lumadrel_triplet "$TARGET")
BUILD=$(realpath -m "${BUILD:-build/release/$BRAND_NAME-$TARGET}")
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}

step "install Debian packages" scripts/install-deps.sh
step "cross-build libpng, libjpeg and libsodium for Windows ($TARGET)" scripts/build-windows-deps.sh "$TARGET"

configure() {
  mkdir -p "$BUILD"
  cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-${TRIPLET%%-*}.cmake" \
    -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" -DLUMADREL_BRAND="$BRAND" \
    -DLUMADREL_RELEASE_VERSION="$VERSION" -DLUMADREL_TESTS=OFF -DLUMADREL_BENCHMARKS=OFF \
    >"$BUILD/configure.log" 2>&1 || { grep -v '^--' "$BUILD/configure.log" >&2; return 1; }
}
step "configure the $TARGET build of brand $BRAND_NAME" configure
brand() { lumadrel_brand "$BUILD" "$1"; }
VERSION=$(brand version)
EXE=$(brand executable)
UPDATER=$(brand updater)
NAME=$(brand name)
OUT=$(realpath -m "${OUT:-dist/$BRAND_NAME-$VERSION}")
step "build the launcher and the updater" ninja -C "$BUILD" -j"${LUMADREL_JOBS:-2}" Lumadrel tovrin
PUBLISH=$REPO/build/native/tools/publish/lumadrel-publish
step "build the publish tool (host)" build_preset native lumadrel-publish

STAGE=$BUILD/release-stage
sign() {
  local file=$1 description=$2
  [ -n "${LUMADREL_SIGN_PKCS12:-}" ] || return 0
  local stamp=()
  [ -n "${LUMADREL_SIGN_TIMESTAMP_URL:-}" ] && stamp=(-ts "$LUMADREL_SIGN_TIMESTAMP_URL")
  printf '%s' "${LUMADREL_SIGN_PASSWORD:-}" |
    osslsigncode sign -pkcs12 "$LUMADREL_SIGN_PKCS12" -readpass - -h sha256 -n "$description" \
      -time "$SOURCE_DATE_EPOCH" "${stamp[@]}" -in "$file" -out "$file.signed" >"$file.sign.log" 2>&1 ||
    { cat "$file.sign.log" >&2; return 1; }
  mv "$file.signed" "$file"
  rm -f "$file.sign.log"
}

stage() {
  rm -rf "$STAGE"
  mkdir -p "$STAGE/files"
  "$(lumadrel_strip_tool "$TARGET")" -o "$STAGE/files/$EXE" "$BUILD/launcher/$EXE"
  "$(lumadrel_strip_tool "$TARGET")" -o "$STAGE/files/$UPDATER" "$BUILD/updater/$UPDATER"
  sign "$STAGE/files/$EXE" "$NAME"
  sign "$STAGE/files/$UPDATER" "$NAME"
  local files
  files=$(brand installer_files)
  if [ -n "$files" ]; then cp -R "$files/." "$STAGE/files/"; fi
  lumadrel_write_update_ini "$STAGE/files/update.ini" "$VERSION"
  cp "$BUILD/brand/art/lumadrel.ico" "$STAGE/installer.ico"
  find "$STAGE" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  python3 - "$STAGE" <<'PYTHON'
import sys
from pathlib import Path, PureWindowsPath
stage = Path(sys.argv[1]) / "files"
files = sorted(p for p in stage.rglob("*") if p.is_file())
folders = sorted({p.parent for p in files if p.parent != stage}, key=lambda p: -len(p.parts))
def inside(path):
    relative = path.relative_to(stage)
    return "$INSTDIR" + ("" if str(relative) == "." else "\\" + str(PureWindowsPath(relative)))
install, remove = [], []
for path in files:
    install += [f'SetOutPath "{inside(path.parent)}"', f'File "{path}"']
    remove.append(f'Delete "{inside(path)}"')
remove += [f'RMDir "{inside(folder)}"' for folder in folders]
(stage.parent / "files.nsh").write_text("\n".join(install + ['SetOutPath "$INSTDIR"']) + "\n", encoding="utf-8")
(stage.parent / "remove.nsh").write_text("\n".join(remove) + "\n", encoding="utf-8")
PYTHON
}
step "stage the files to install" stage

INSTALLER_NAME=$BRAND_NAME-$VERSION-setup.exe
installer() {
  local key publisher
  key=$(python3 -c 'import re, sys; print(re.sub(r"[^A-Za-z0-9_.-]", "_", sys.argv[1]))' "$BRAND_NAME")
  publisher=$(brand company)
  makensis -V2 -INPUTCHARSET UTF8 "-DTARGET=$NSIS_TARGET" "-DNAME=$NAME" "-DEXECUTABLE=$EXE" "-DVERSION=$VERSION" \
    "-DPUBLISHER=$publisher" "-DKEY=Lumadrel.$key" "-DSTAGE=$STAGE" "-DICON=$STAGE/installer.ico" \
    "-DOUTFILE=$STAGE/$INSTALLER_NAME" "-DFILES=$STAGE/files.nsh" "-DREMOVE=$STAGE/remove.nsh" \
    installer/launcher.nsi >"$STAGE/makensis.log" 2>&1 || { cat "$STAGE/makensis.log" >&2; return 1; }
  sign "$STAGE/$INSTALLER_NAME" "$NAME"
}
step "build the installer ($NSIS_TARGET)" installer

collect() {
  rm -rf "$OUT"
  mkdir -p "$OUT"
  cp "$STAGE/$INSTALLER_NAME" "$STAGE/files/$EXE" "$STAGE/files/$UPDATER" "$OUT/"
  local path
  path=$(brand update_path)
  # The publish tree: the files and the update document at the brand's path (signed when a key is given).
  local signing=()
  [ -n "${LUMADREL_UPDATE_KEY:-}" ] && signing=(--sign-key "$LUMADREL_UPDATE_KEY")
  "$PUBLISH" --version "$VERSION" --from "$STAGE/files" --www "$OUT/publish" --document "${path#/}" \
    "${signing[@]}" >"$STAGE/publish.log" 2>&1 || { cat "$STAGE/publish.log" >&2; return 1; }
  find "$OUT" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  (cd "$OUT" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS)
}
step "write $OUT" collect
if [ "$(brand allow_unsigned_updates)" = True ]; then
  echo "==> WARNING: brand $BRAND_NAME sets allow_unsigned_updates: its updater installs UNSIGNED updates, so"
  echo "==>          anyone who can answer its update URL can run programs on players' machines. Local testing only."
fi
if [ -n "${LUMADREL_UPDATE_KEY:-}" ]; then
  echo "==> update document: signed with $LUMADREL_UPDATE_KEY ($(grep -o 'key [0-9A-F]*' "$STAGE/publish.log"))"
else
  echo "==> update document: UNSIGNED (no LUMADREL_UPDATE_KEY given); the brand's updaters refuse it until it is"
  echo "    signed: build/native/tools/publish/lumadrel-publish --resign --www $OUT/publish" \
    "--document $(brand update_path | sed 's|^/||') --sign-key KEY"
fi
if [ -n "${LUMADREL_SIGN_PKCS12:-}" ]; then
  echo "==> release $OUT: signed with $LUMADREL_SIGN_PKCS12"
else
  echo "==> release $OUT: unsigned (no LUMADREL_SIGN_PKCS12 given)"
fi
