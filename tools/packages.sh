# Shared by ./test and ./run: installs the Debian packages the build and the player need,
# and only when something is missing (one quiet apt-get update first).
td_packages=(
  cmake g++ pkg-config make
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfluidsynth-dev libsndfile1-dev libpng-dev
  fonts-liberation2 fonts-dejavu-core timgm6mb-soundfont
)

td_install_packages() {
  local missing=()
  local package
  for package in "${td_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}
