#!/usr/bin/env bash
# Prepares a game folder: the launcher, the updater, the stand-in game client
# (named as the build's brand names them), and update.ini with the installed
# version (GBK, as the launcher reads it).
#
#   scripts/game-folder.sh FOLDER [VERSION] [win32|win64]
# The programs come from the build of the given Windows target (default win32,
# the product).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
version="${2:-1.0.0}"
target="${3:-win32}"
case "$target" in
  win32) strip=i686-w64-mingw32-strip ;;
  win64) strip=x86_64-w64-mingw32-strip ;;
  *) echo "game-folder: unknown Windows target '$target'" >&2; exit 2 ;;
esac
build="$ROOT/build/$target"
# The file names the build's brand gives the launcher, the game client and the updater.
brand() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1], encoding="utf-8"))[sys.argv[2]])' \
  "$build/brand/brand.json" "$1"; }
launcher=$(brand executable)
mkdir -p "$folder"
# The shipped program carries no debug information (it would all be loaded).
"$strip" -o "$folder/$launcher" "$build/launcher/$launcher"
"$strip" -o "$folder/$(brand updater)" "$build/updater/$(brand updater)"
cp "$build/tools/fixtures/$(brand game_client)" "$folder/"
printf '[更新配置]\r\n当前版本=%s\r\n' "$version" | iconv -f UTF-8 -t GBK >"$folder/update.ini"
