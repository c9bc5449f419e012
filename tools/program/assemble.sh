#!/usr/bin/env bash
# Assembles the player's program folder from a build tree:
#   tools/program/assemble.sh BUILD_TREE FOLDER
# The folder gets the executable, the command interpreter (found beside the program), the
# two companion programs, our demo songs and bell, and links to the songs of
# openttd-openmsx when that package is installed. Run again, it brings the folder up to
# date and keeps whatever else the user put there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
folder="$2"
mkdir -p "$folder"
install -m 755 "$build/Tunedeck" "$folder/Tunedeck"
install -m 755 "$build/bin/cmd" "$folder/cmd"
install -m 755 "$here/Faders" "$folder/Faders"
install -m 755 "$here/Scorepad" "$folder/Scorepad"
"$build/bin/demosongs" "$folder"
shopt -s nullglob
for song in /usr/share/games/openttd/baseset/openmsx/*.mid; do
  ln -sfn "$song" "$folder/$(basename "$song")"
done
