# Shared by ./test and ./run: installs the Debian packages the build and the player need,
# and only when something is missing (one quiet apt-get update first).
td_packages=(
  cmake g++ pkg-config make
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfluidsynth-dev libsndfile1-dev libpng-dev
  fonts-liberation2 fonts-dejavu-core timgm6mb-soundfont
  xvfb desktop-file-utils
)

# What ./test adds for the desktop tests: a small window manager for the X server they start,
# and a tool that moves, clicks and types as a user would.
td_desktop_test_packages=(openbox xdotool)

# What ./run adds for the player: the larger General MIDI SoundFont (the platform takes it
# through /usr/share/sounds/sf2/default-GM.sf2 when it is there, else the small one the
# tests use) and the songs of openttd-openmsx for the program folder.
td_player_packages=(fluid-soundfont-gm openttd-openmsx)

td_missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$package"
    fi
  done
}

td_apt_install() {
  echo "Installing: $*"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

td_install_packages() {
  local missing
  mapfile -t missing < <(td_missing_packages "${td_packages[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    td_apt_install "${missing[@]}"
  fi
}

td_install_desktop_test_packages() {
  local missing
  mapfile -t missing < <(td_missing_packages "${td_desktop_test_packages[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    td_apt_install "${missing[@]}"
  fi
}

# The player's extras are welcome, not required: without them the player runs with the
# small SoundFont and only its own demo songs.
td_install_player_packages() {
  local missing
  mapfile -t missing < <(td_missing_packages "${td_player_packages[@]}")
  if [ ${#missing[@]} -gt 0 ]; then
    td_apt_install "${missing[@]}" || echo "Could not install ${missing[*]}; going on without." >&2
  fi
}
