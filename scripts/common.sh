# Shared by scripts/play and scripts/test: installs what is missing from Debian, then builds.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

GAME_PACKAGES=(cmake g++ libsdl1.2-compat-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri)
REPLAY_PACKAGES=(pkg-config libmagick++-dev)
TEST_PACKAGES=(libgtest-dev libx11-dev xvfb xauth xdotool imagemagick x11-utils desktop-file-utils dpkg-dev
               valgrind)
# The browser build, and the tests and benchmarks that run it in a browser.
WEB_PACKAGES=(emscripten)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium)

say() { printf '%s\n' "$*" >&2; }

# install_missing PACKAGE...: installs, with apt-get, those of the packages that are not installed.
install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  say "Installing from Debian: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { say "These packages are missing and there is no sudo: ${missing[*]}"; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build [CMAKE_ARGS...]: configures and builds the game, its images and its tests into build/.
build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$BUILD" -j "$(nproc)"
}
