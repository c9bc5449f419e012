# What the measurement scripts share; they source it with the build tree as "$1":
#   root, build        the repository and the Release tree (default build/release)
#   scratch            a folder that goes away at the end, with the demo songs in songs/
#   xvfb, child        process ids the end kills when they are set
#   median             the median of numbers read one a line
#   start_xvfb         an X server on a free display (DISPLAY set); false without one
# Runs are headless and silent unless a script says otherwise.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build/release}" && pwd)"
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
export TD_DRIVES="C=$scratch" TD_AUDIO=null
unset COMSPEC

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

start_xvfb() {
  command -v Xvfb >/dev/null && command -v xwininfo >/dev/null || return 1
  mkfifo "$scratch/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
  xvfb=$!
  local number
  read -r -t 10 number <"$scratch/display" || return 1
  export DISPLAY=":$number"
}
