#!/usr/bin/env bash
# Measures Faders' start against the player's, side by side, in a Release tree:
#   tools/measure/faders.sh [BUILD_TREE]      (default build/release)
# 1. Start to the first painted main window, headless under a script (the script's first
#    line runs when the program first waits for input, after its window is built, shown and
#    painted; the run then closes the window): the two programs are started in turn, 15
#    times each, so that both see the same load; medians of wall and CPU time.
# 2. On the sdl backend in Xvfb (needs Xvfb and xwininfo): the time until each window is on
#    the X screen, started in turn, 5 times each; medians of wall and CPU time.
# Faders runs over a mixer state file of its own (TD_MIXER), the player in its demo songs.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/release}" && pwd)"
player="$build/Tunedeck"
faders="$build/Faders"
scratch="$(mktemp -d)"
xvfb=""
child=""
cleanup() {
  [ -z "$child" ] || kill "$child" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
"$build/bin/demosongs" "$scratch/songs"
export TD_DRIVES="C=$scratch" TD_AUDIO=null TD_MIXER="$scratch/mixer"
unset COMSPEC

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# report TITLE WALLS CPUS: the medians of the two programs' runs (names of associative
# arrays keyed by program) and their ratio.
report() {
  local -n w="$2" c="$3"
  local pw pc fw fc
  pw="$(tr ' ' '\n' <<<"${w[player]}" | grep . | median)"
  pc="$(tr ' ' '\n' <<<"${c[player]}" | grep . | median)"
  fw="$(tr ' ' '\n' <<<"${w[faders]}" | grep . | median)"
  fc="$(tr ' ' '\n' <<<"${c[faders]}" | grep . | median)"
  echo "$1"
  echo "  player $pw ms wall, $pc ms CPU (runs: ${w[player]}ms)"
  echo "  Faders $fw ms wall, $fc ms CPU (runs: ${w[faders]}ms)"
  echo "  Faders / player: $(ratio "$fw" "$pw") wall, $(ratio "$fc" "$pc") CPU (the target: 1.5 at most)"
}

printf 'close @TForm1\n' >"$scratch/player.txt"
printf 'close @TFadersForm\n' >"$scratch/faders.txt"
declare -A walls cpus
for _ in $(seq 15); do
  for name in player faders; do
    program="${!name}"
    out="$(cd "$scratch/songs" && TD_SCRIPT="$scratch/$name.txt" /usr/bin/time -f '%e %U %S' \
      "$program" 2>&1 >/dev/null | tail -1)"
    walls[$name]+="$(awk '{ printf "%d", $1 * 1000 }' <<<"$out") "
    cpus[$name]+="$(awk '{ printf "%d", ($2 + $3) * 1000 }' <<<"$out") "
  done
done
report "headless, script: start, first paint and close, median of 15 in turn:" walls cpus

if ! command -v Xvfb >/dev/null || ! command -v xwininfo >/dev/null; then
  echo "sdl: skipped (needs Xvfb and xwininfo)"
  exit 0
fi
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
read -r -t 10 number <"$scratch/display" || { echo "sdl: skipped (Xvfb did not start)"; exit 0; }
export DISPLAY=":$number"
now_ms() { date +%s%3N; }
ticks="$(getconf CLK_TCK)"
declare -A xwalls xcpus
for _ in 1 2 3 4 5; do
  for name in player faders; do
    program="${!name}"
    title=Tunedeck
    [ "$name" = faders ] && title=Faders
    start="$(now_ms)"
    (cd "$scratch/songs" && exec env TD_BACKEND=sdl "$program") &
    child=$!
    until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do
      if [ $(($(now_ms) - start)) -gt 20000 ]; then echo "sdl: no $title window after 20 s"; exit 1; fi
      sleep 0.005
    done
    xwalls[$name]+="$(($(now_ms) - start)) "
    xcpus[$name]+="$(awk -v t="$ticks" '{ printf "%d", ($14 + $15) * 1000 / t }' "/proc/$child/stat") "
    kill "$child"
    wait "$child" 2>/dev/null || true
    child=""
  done
done
report "sdl in Xvfb: window on the screen, median of 5 in turn:" xwalls xcpus
