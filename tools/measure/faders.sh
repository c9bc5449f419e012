#!/usr/bin/env bash
# Measures Faders' start against the player's, side by side, in a Release tree:
#   tools/measure/faders.sh [BUILD_TREE]      (default build/release)
# 1. Start to the first painted main window, headless under a script (the script's first
#    line runs when the program first waits for input, after its window is built, shown and
#    painted; the run then closes the window): the two programs are started in turn, 15
#    times each, so that both see the same load; medians of wall and CPU time.
# 2. On the sdl backend in Xvfb (needs Xvfb and xwininfo), native desktop: the time until
#    each main window is on the X screen, started in turn, 9 times each; medians of wall
#    and CPU time.
# Faders runs over a mixer state file of its own (TD_MIXER), the player in its demo songs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
player="$build/Tunedeck"
faders="$build/Faders"
export TD_MIXER="$scratch/mixer"

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
    # bash's own timing: milliseconds of wall, user and system time.
    out="$( { TIMEFORMAT='%R %U %S'
      time (cd "$scratch/songs" && TD_SCRIPT="$scratch/$name.txt" "$program" >/dev/null 2>&1); } 2>&1 |
      tail -1)"
    walls[$name]+="$(awk '{ printf "%d", $1 * 1000 }' <<<"$out") "
    cpus[$name]+="$(awk '{ printf "%d", ($2 + $3) * 1000 }' <<<"$out") "
  done
done
report "headless, script: start, first paint and close, median of 15 in turn:" walls cpus

start_xvfb || { echo "sdl: skipped (needs Xvfb and xwininfo, and an X server that starts)"; exit 0; }
now_ms() { date +%s%3N; }
ticks="$(getconf CLK_TCK)"
declare -A xwalls xcpus
for _ in $(seq 9); do
  for name in player faders; do
    program="${!name}"
    # On the native desktop (the default) the main window is a host window of its caption.
    title=Tunedeck
    [ "$name" = faders ] && title=Faders
    start="$(now_ms)"
    (cd "$scratch/songs" && exec env TD_BACKEND=sdl "$program") &
    child=$!
    shown=true
    until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do
      if [ $(($(now_ms) - start)) -gt 10000 ]; then shown=false; break; fi
      sleep 0.005
    done
    if $shown; then
      xwalls[$name]+="$(($(now_ms) - start)) "
      xcpus[$name]+="$(awk -v t="$ticks" '{ printf "%d", ($14 + $15) * 1000 / t }' "/proc/$child/stat") "
    else
      # Seen now and then on a loaded machine, for either program: said, not counted.
      echo "sdl: $name's window did not show within 10 s; run left out"
    fi
    kill "$child"
    wait "$child" 2>/dev/null || true
    child=""
    # A window started while the last one is still going away sometimes never shows.
    sleep 0.5
  done
done
report "sdl in Xvfb: window on the screen, median of 9 in turn:" xwalls xcpus
