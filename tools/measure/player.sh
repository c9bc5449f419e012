#!/usr/bin/env bash
# Measures the player executable from outside, in a Release tree:
#   tools/measure/player.sh [BUILD_TREE]      (default build/release)
# 1. Start to the first painted main window, headless under a script: the script's first
#    line runs when the program first waits for input, after the window is built, shown and
#    painted; the run then closes the window. Wall time and peak resident memory of the
#    whole run (so upper bounds), median of 10 runs.
# 2. On the sdl backend in Xvfb (needs Xvfb and xwininfo): the time until the window is on
#    the X screen (median of 5 starts, wall and CPU), resident memory then and 3 s later,
#    and the CPU the idle player uses over 10 s with nothing playing.
# The songs are the demo songs in a scratch folder. bench/player.cpp measures playing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
player="$build/Tunedeck"

printf 'dump %s/start.json\nclose @TForm1\n' "$scratch" > "$scratch/start.txt"
walls=()
peaks=()
for _ in 1 2 3 4 5 6 7 8 9 10; do
  out="$(cd "$scratch/songs" && TD_SCRIPT="$scratch/start.txt" /usr/bin/time -f '%e %M' "$player" 2>&1 >/dev/null | tail -1)"
  walls+=("$(awk '{ printf "%d", $1 * 1000 }' <<<"$out")")
  peaks+=("$(awk '{ printf "%.1f", $2 / 1024 }' <<<"$out")")
done
echo "headless, script: start, first paint and close: median $(printf '%s\n' "${walls[@]}" | median) ms wall, peak resident median $(printf '%s\n' "${peaks[@]}" | median) MiB (runs: ${walls[*]} ms)"

start_xvfb || { echo "sdl: skipped (needs Xvfb and xwininfo, and an X server that starts)"; exit 0; }
rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now_ms() { date +%s%3N; }

# Five starts: wall time until the window is viewable on the X screen and the CPU time the
# player had used by then (the latter hardly depends on what else the machine does).
walls=()
cpus=()
ticks="$(getconf CLK_TCK)"
for run in 1 2 3 4 5; do
  start="$(now_ms)"
  (cd "$scratch/songs" && exec env TD_BACKEND=sdl "$player") &
  child=$!
  until xwininfo -name Tunedeck 2>/dev/null | grep -q IsViewable; do
    if [ $(($(now_ms) - start)) -gt 20000 ]; then echo "sdl: no window after 20 s"; exit 1; fi
    sleep 0.005
  done
  walls+=("$(($(now_ms) - start))")
  cpus+=("$(awk -v t="$ticks" '{ printf "%d", ($14 + $15) * 1000 / t }' "/proc/$child/stat")")
  [ "$run" = 5 ] && break
  kill "$child"
  wait "$child" 2>/dev/null || true
done
echo "sdl in Xvfb: window on the screen after median $(printf '%s\n' "${walls[@]}" | median) ms wall, $(printf '%s\n' "${cpus[@]}" | median) ms CPU (runs: ${walls[*]} ms wall), resident $(rss "$child") MiB"
sleep 3
echo "sdl in Xvfb: 3 s later resident $(rss "$child") MiB"
before="$(cpu_ticks "$child")"
sleep 10
after="$(cpu_ticks "$child")"
awk -v d="$((after - before))" -v t="$ticks" 'BEGIN { printf "sdl in Xvfb: idle over 10 s: %.2f %% of one core (%d ticks of %d a second)\n", 100 * d / t / 10, d, t }'
kill "$child"
wait "$child" 2>/dev/null || true
child=""

# 3. Playing the densest openmsx song with the larger SoundFont, on the sdl backend with
#    SDL's disk audio driver (which takes the sound at the pace of a real device): CPU over
#    20 s of playing, resident memory. Needs xdotool for the keys.
song=/usr/share/games/openttd/baseset/openmsx/tttheme2.mid
font=/usr/share/sounds/sf2/FluidR3_GM.sf2
if ! command -v xdotool >/dev/null || [ ! -f "$song" ] || [ ! -f "$font" ]; then
  echo "playing: skipped (needs xdotool, openttd-openmsx and fluid-soundfont-gm)"
  exit 0
fi
mkdir -p "$scratch/one"
ln -s "$song" "$scratch/one/"
(cd "$scratch/one" && exec env TD_BACKEND=sdl TD_AUDIO=sdl SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE="$scratch/sound.raw" TD_SOUNDFONT="$font" "$player" 2>/dev/null) &
child=$!
until xwininfo -name Tunedeck 2>/dev/null | grep -q IsViewable; do sleep 0.05; done
window="$(xdotool search --name Tunedeck | head -1)"
xdotool key --window "$window" Tab Return  # the file list, then play its first file
sleep 3
before="$(cpu_ticks "$child")"
sleep 20
after="$(cpu_ticks "$child")"
frames=$(($(stat -c %s "$scratch/sound.raw") / 8))
awk -v d="$((after - before))" -v t="$ticks" -v r="$(rss "$child")" -v f="$frames" 'BEGIN {
  printf "playing %s with %s: %.2f %% of one core over 20 s, resident %s MiB, %.1f s of sound written\n",
    "tttheme2.mid", "FluidR3_GM.sf2", 100 * d / t / 20, r, f / 44100 }'
