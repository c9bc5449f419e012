#!/usr/bin/env bash
# Compares our MIDI song lengths with an independent reading (the npm package midi-file
# plus a tempo-map walk to the latest End of Track). Run by hand:
#   tools/midi-length-check/check.sh [FILE.mid ...]
# Without arguments it checks the songs of the Debian package openttd-openmsx.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

if [ $# -eq 0 ]; then
  shopt -s nullglob
  set -- /usr/share/games/openttd/baseset/openmsx/*.mid
  [ $# -gt 0 ] || { echo "install openttd-openmsx or name files" >&2; exit 2; }
fi

g++ -std=c++20 -O2 -I"$root/platform" -I"$root/platform/include" -o "$scratch/ours" "$here/ours.cpp" "$root/platform/midi/midifile.cpp"
(cd "$scratch" && npm install --silent --no-audit --no-fund midi-file >/dev/null)
cp "$here/independent.js" "$scratch/"

worst=0
for file in "$@"; do
  ours="$("$scratch/ours" "$file")"
  theirs="$(cd "$scratch" && node independent.js "$file")"
  diff="$(awk -v a="$ours" -v b="$theirs" 'BEGIN { d = a - b; if (d < 0) d = -d; printf "%.3f", d }')"
  printf '%10.3f %10.3f %8s  %s\n' "$ours" "$theirs" "$diff" "$(basename "$file")"
  worst="$(awk -v a="$worst" -v b="$diff" 'BEGIN { print (b > a) ? b : a }')"
done
echo "worst difference: $worst ms"
awk -v w="$worst" 'BEGIN { exit (w <= 2) ? 0 : 1 }'
