#!/usr/bin/env bash
# Assembles the player's program folder from a build tree; ./run and `cmake --install`
# (cmake/Install.cmake) both make it here, so this is the one list of what it holds:
#   tools/program/assemble.sh [--installed] BUILD_TREE FOLDER
# The folder gets the executable, the command interpreter (found beside the program), the
# two companion programs (Faders, the volume control, always our own), our demo songs and
# bell, and, for ./run, links to the songs of openttd-openmsx when that package is installed
# (--installed leaves them out: an installed folder holds our own files only). Run again,
# it brings the folder up to date and keeps whatever else the user put there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
installed=false
if [ "${1:-}" = --installed ]; then
  installed=true
  shift
fi
build="$1"
folder="$2"
mkdir -p "$folder"

# A program of the build tree, under its name in the folder.
place() { install -m 755 "$build/$1" "$folder/$2"; }
# A companion is a program of our own once its folder is in the tree (td_add_program
# builds it beside the player); until then the script of the same name here stands in.
companion() {
  if [ -f "$root/$2/main.cpp" ]; then
    place "$1" "$1"
  else
    install -m 755 "$here/$1" "$folder/$1"
  fi
}

place Tunedeck Tunedeck
place bin/cmd cmd
place Faders Faders
companion Scorepad scorepad
"$build/bin/demosongs" "$folder"
if ! $installed; then
  shopt -s nullglob
  for song in /usr/share/games/openttd/baseset/openmsx/*.mid; do
    ln -sfn "$song" "$folder/$(basename "$song")"
  done
fi
