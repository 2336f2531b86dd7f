# Shared by the scripts: installs what is missing from Debian, then builds.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

say() { printf '%s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    say "This needs root, and there is no sudo: $*"
    exit 1
  fi
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

package_lists_fresh=false
update_package_lists() {
  $package_lists_fresh && return 0
  as_root apt-get update -q
  package_lists_fresh=true
}

# The SDL 1.2 interface comes from sdl12-compat, over SDL 2, on every release, but under two
# names: Debian 12 calls its development files libsdl1.2-compat-dev (its libsdl1.2-dev is the
# classic library), Debian 13 and 14 call them libsdl1.2-dev. The package lists tell which is
# which. (On Debian 14, SDL 2 is sdl2-compat, over SDL 3.)
sdl_dev_package() {
  local package
  for package in libsdl1.2-dev libsdl1.2-compat-dev; do
    installed "$package" && dpkg-query -W -f='${Source}' "$package" | grep -q '^sdl12-compat' &&
      { echo "$package"; return; }
  done
  [ -n "$(apt-cache policy libsdl1.2-dev 2>/dev/null)" ] || update_package_lists >&2
  if apt-cache show --no-all-versions libsdl1.2-dev 2>/dev/null | grep -q '^Source: sdl12-compat'; then
    echo libsdl1.2-dev
  else
    echo libsdl1.2-compat-dev
  fi
}

# weston's plugin headers come in a package named after its major version: libweston-10-dev on
# Debian 12, libweston-14-dev on Debian 13, libweston-16-dev on Debian 14.
weston_dev_package() {
  local version
  if installed weston; then
    version=$(dpkg-query -W -f='${Version}' weston)
  else
    candidate() { apt-cache show --no-all-versions weston 2>/dev/null | sed -n 's/^Version: //p'; }
    version=$(candidate)
    [ -n "$version" ] || { update_package_lists >&2 && version=$(candidate); }
  fi
  echo "libweston-${version%%.*}-dev"
}

# WebKit's WebDriver is webkit2gtk-driver on Debian 12 and webkitgtk-webdriver from Debian 13 on
# (13 keeps the old name as a package that only depends on the new one; 14 has the new one alone).
webkit_driver_package() {
  installed webkit2gtk-driver && { echo webkit2gtk-driver; return; }
  [ -n "$(apt-cache policy webkit2gtk-driver webkitgtk-webdriver 2>/dev/null)" ] ||
    update_package_lists >&2
  # Debian 12 knows the new name only as one that a package refers to, with no candidate.
  local candidate
  candidate=$(apt-cache policy webkitgtk-webdriver 2>/dev/null | sed -n 's/^ *Candidate: //p')
  if [ -n "$candidate" ] && [ "$candidate" != "(none)" ]; then
    echo webkitgtk-webdriver
  else
    echo webkit2gtk-driver
  fi
}

# The game alone; libsdl-mixer1.2-dev plays the sound effects, libxpm-dev reads the pictures in
# art/, libgl1-mesa-dri is software OpenGL for machines without a GPU.
GAME_PACKAGES=(cmake make g++ @sdl-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libxpm-dev
               libgl1-mesa-dri)
# The replay tool's PNG and GIF files and the desktop icons.
REPLAY_PACKAGES=(pkg-config libmagick++-dev)
# The tests of the real game under a private X server. With EGL, SDL can open an invisible
# window when there is no display, which the game must refuse; that is tested too. Fullscreen
# needs a window manager: a bare X server grants it to no window.
TEST_PACKAGES=(libgtest-dev libx11-dev xvfb xauth xdotool imagemagick x11-utils desktop-file-utils
               dpkg-dev valgrind libegl1 libegl-mesa0 openbox)
# The tests of the real game under Wayland: weston's headless compositor, and its headers for the
# tests' keyboard, a module of weston's.
WAYLAND_TEST_PACKAGES=(weston @weston-dev)
# Fuzzing and the sanitizer run: the clang runtime that matches the release's clang.
FUZZ_PACKAGES=(clang libclang-rt-dev)
# The Debian package's checkers: lintian, and appstreamcli for the software-centre metadata.
PACKAGING_PACKAGES=(lintian appstream)
# The browser build, and the tests and benchmarks that run it in a browser: Chromium, WebKit's
# MiniBrowser through its WebDriver, and Firefox through the WebDriver BiDi it speaks itself, over
# a WebSocket.
WEB_PACKAGES=(emscripten terser)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium @webkit-driver firefox-esr
                   python3-websockets)

# The lists above name the packages whose names differ between releases by @: the package lists
# are asked which name the release has only when something is to be installed.
release_package() {
  case "$1" in
    @sdl-dev) sdl_dev_package ;;
    @weston-dev) weston_dev_package ;;
    @webkit-driver) webkit_driver_package ;;
    *) echo "$1" ;;
  esac
}

# install_missing PACKAGE...: installs, with apt-get, those of the packages that are not installed.
install_missing() {
  local missing=() package
  for package in "$@"; do
    package=$(release_package "$package")
    installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  say "Installing from Debian: ${missing[*]}"
  update_package_lists
  # Waits for another package manager (an unattended upgrade, say) instead of failing at once.
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

# build [CMAKE_ARGS...]: configures and builds the game, its images and its tests into build/.
build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$BUILD" -j "$(nproc)"
}

WEB_BUILD="$ROOT/build-web"
# configure_web [CMAKE_ARGS...]: configures the browser build in build-web/, with the images and
# icons the desktop build's tools draw (they cannot run under Emscripten).
configure_web() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target images web_icons
  # Emscripten's post-link step needs Debian's acorn, which only Debian's node finds by itself.
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S "$ROOT" -B "$WEB_BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DEGGQUEST_IMAGES_DIR="$BUILD/game" -DEGGQUEST_ICONS_DIR="$BUILD/packaging/web-icons" "$@" \
    >/dev/null
}

# under_x COMMAND...: runs COMMAND with a private X server of its own. A 24-bit screen, so
# screenshots hold the exact colours the game drew; no reset when the last client leaves, or a
# game starting just then finds no display.
under_x() { xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$@"; }

# The game in a private X server, for the scripts that under_x runs (they source this file too).
# launch_game SECONDS COMMAND...: starts COMMAND, the game or what ends by running it, in the
# background as GAME_PID, and waits up to SECONDS for its visible window, GAME_WINDOW, the only
# one of the game's caption in that server.
launch_game() {
  local seconds=$1 deadline=$((SECONDS + $1))
  shift
  "$@" &
  GAME_PID=$!
  until GAME_WINDOW=$(xdotool search --onlyvisible --name '^OpenGL Demo' 2>/dev/null |
    head -n 1) && [ -n "$GAME_WINDOW" ]; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      kill "$GAME_PID" 2>/dev/null || true
      say "$1: no window of the game's within $seconds s"
      return 1
    fi
    sleep 0.05
  done
}
# escape_game: Escape in GAME_WINDOW, then waits for GAME_PID to end; fails unless it ends as
# Escape ends the game, with status 1.
escape_game() {
  local status=0
  xdotool windowfocus "$GAME_WINDOW" keydown Escape || { kill "$GAME_PID" || true; return 1; }
  wait "$GAME_PID" || status=$?
  xdotool keyup Escape
  [ "$status" = 1 ] || { say "the game ended with status $status, not 1"; return 1; }
}
