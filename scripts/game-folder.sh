#!/usr/bin/env bash
# Prepares a game folder: the launcher, the updater, the stand-in game client
# (named as the build's brand names them), and update.ini with the installed
# version (GBK, as the launcher reads it).
#
#   scripts/game-folder.sh FOLDER [VERSION] [win32|win64]
# The programs come from the build of the given Windows target (default win32,
# the product).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
folder="$1"
version="${2:-1.0.0}"
target="${3:-win32}"
strip=$(lumadrel_strip_tool "$target" 2>&1) || { echo "game-folder: $strip" >&2; exit 2; }
build="$LUMADREL_ROOT/build/$target"
# The file names the build's brand gives the launcher, the game client and the updater.
brand() { lumadrel_brand "$build" "$1"; }
launcher=$(brand executable)
mkdir -p "$folder"
# The shipped program carries no debug information (it would all be loaded).
"$strip" -o "$folder/$launcher" "$build/launcher/$launcher"
"$strip" -o "$folder/$(brand updater)" "$build/updater/$(brand updater)"
cp "$build/tools/fixtures/$(brand game_client)" "$folder/"
lumadrel_write_update_ini "$folder/update.ini" "$version"
