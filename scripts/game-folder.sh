#!/usr/bin/env bash
# Prepares a game folder: the launcher, the stand-in game client and updater,
# and update.ini with the installed version (GBK, as the launcher reads it).
#
#   scripts/game-folder.sh FOLDER [VERSION]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
version="${2:-1.0.0}"
mkdir -p "$folder"
# The shipped program carries no debug information (it would all be loaded).
i686-w64-mingw32-strip -o "$folder/Lumadrel.exe" "$ROOT/build/win32/launcher/Lumadrel.exe"
cp "$ROOT/build/win32/tools/fixtures/main.exe" "$ROOT/build/win32/tools/fixtures/tovrin.exe" "$folder/"
printf '[更新配置]\r\n当前版本=%s\r\n' "$version" | iconv -f UTF-8 -t GBK >"$folder/update.ini"
