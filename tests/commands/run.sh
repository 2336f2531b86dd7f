#!/usr/bin/env bash
# Every command that the README and docs/DEVELOPMENT.md give, and every script in scripts/, run
# once in a cheap form (a temporary folder, a short fuzzing run, one test), so that a broken one
# fails CI. scripts/test itself runs in full in CI's fresh systems. A command this file does not
# know fails it: each new one needs its cheap form here.
. "$(dirname "$0")/../../scripts/common.sh"
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
ran=" scripts/test "  # in CI's fresh systems
run() { say "== $*"; "$@" || fail "'$*' failed with status $?"; ran+=" $1 "; }

# played EXPECTED SIZE COMMAND...: COMMAND, run as a player would under a private X server, opens
# the game's window at SIZE, with EXPECTED among the game's environment and arguments (a line
# each), and Escape ends it with status 1.
played() {
  say "== ${*:3}"
  [ -x "$INSTALLED" ] || cmake --install build --prefix "$WORK/local" >/dev/null
  under_x bash -c '
    . "$1" && shift
    launch_game 300 "${@:3}" >/dev/null
    game=$(xdotool getwindowpid "$GAME_WINDOW")
    size=$(xdotool getwindowgeometry "$GAME_WINDOW" | sed -n "s/^ *Geometry: //p")
    found=$(cat "/proc/$game/environ" "/proc/$game/cmdline" | tr "\0" "\n" | grep -cx -- "$1" ||
      true)
    escape_game
    [ "$size" = "$2" ] && [ "$found" -gt 0 ] || { echo "window $size, $1 found $found times"; exit 1; }
  ' _ "$ROOT/scripts/common.sh" "$@" || fail "'${*:3}' did not play as the README says"
}
# The installed game's launcher, started from another folder. The README plays it before it says
# how to install it, so the first command that plays installs it.
LAUNCH=(env -C / -u SDL12COMPAT_SYNC_TO_VBLANK) INSTALLED=$WORK/local/bin/eggquest

# The commands of the README and of the contributors' notes.
readme_commands() {
  awk '/^ *```sh$/ { on = 1; next } /^ *```/ { on = 0 } on' README.md docs/DEVELOPMENT.md |
    sed -e 's/[[:space:]]#.*//' -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' | grep -v '^$'
}

while IFS= read -r command; do
  case "$command" in
  "scripts/play")  # without a display: the demo
    run env -u DISPLAY -u WAYLAND_DISPLAY scripts/play; ran+=" scripts/play scripts/demo " ;;
  "scripts/play --mute") played --mute 800x600 scripts/play --mute ;;  # with a display
  "scripts/play --time-trial") played --time-trial 800x600 scripts/play --time-trial ;;
  "scripts/play --levels levels/uphill-downhill.txt")  # the file named in full for the game
    played "$ROOT/levels/uphill-downhill.txt" 800x600 \
      scripts/play --levels levels/uphill-downhill.txt ;;
  "eggquest --mute") played --mute 800x600 "${LAUNCH[@]}" "$INSTALLED" --mute ;;
  "build/game/eggquest --help")  # lists the options without a display
    run env -u DISPLAY -u WAYLAND_DISPLAY build/game/eggquest --help >/dev/null ;;
  "scripts/web")  # it builds first, then serves the page until stopped
    say "== scripts/web"
    scripts/web >"$WORK/web.log" 2>&1 & server=$!
    ENDED_AT_EXIT+=("$server")
    poll 300 /usr/bin/python3 -c 'import urllib.request as r
assert b"<title>eggquest</title>" in r.urlopen("http://127.0.0.1:8000/").read()' 2>/dev/null ||
      fail "scripts/web served no page: $(tail -n 5 "$WORK/web.log")"
    kill "$server"; ran+=" scripts/web " ;;
  "scripts/web --build-only") run scripts/web --build-only ;;
  "scripts/test") ;;
  "scripts/test --quick") run scripts/test --quick -R '^Rules' ;;
  "scripts/test --web") run scripts/test --web -R web.no_webgl ;;
  "scripts/test --quick -R x11.walk") run scripts/test --quick -R x11.walk ;;
  "scripts/test --stress 5") run scripts/test --stress 2 -R '^Rules\.' ;;
  "cmake --install build --prefix ~/.local") run cmake --install build --prefix "$WORK/local" ;;
  "~/.local/bin/eggquest")
    played SDL12COMPAT_SYNC_TO_VBLANK=1 800x600 "${LAUNCH[@]}" "$INSTALLED" ;;
  "SDL12COMPAT_SYNC_TO_VBLANK=0 eggquest")
    played SDL12COMPAT_SYNC_TO_VBLANK=0 800x600 \
      "${LAUNCH[@]}" SDL12COMPAT_SYNC_TO_VBLANK=0 "$INSTALLED" ;;
  "SDL12COMPAT_WINDOW_SCALING=2 eggquest")
    played SDL12COMPAT_WINDOW_SCALING=2 1600x1200 \
      "${LAUNCH[@]}" SDL12COMPAT_WINDOW_SCALING=2 "$INSTALLED" ;;
  "cd build && cpack -G DEB") run cpack -G DEB -B "$WORK/deb" --config build/CPackConfig.cmake ;;
  "sudo apt install ./eggquest_1.0_amd64.deb")
    run apt-get install -s "$WORK/deb/eggquest_1.0_amd64.deb" ;;
  "cmake -S . -B build -DBUILD_TESTING=OFF && cmake --build build")
    # The packager's build, in a clone of its own, and the page built after it.
    git clone -q "$ROOT" "$WORK/clone"
    (cd "$WORK/clone" && run cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null &&
      run cmake --build build -j "$(nproc)" >/dev/null && run scripts/web --build-only) ||
      fail "the packager's build" ;;
  "cd build/game") ;;
  "./replay ../../tools/replays/playthrough.keys --trace trace.txt --png 60:level1.png --gif run.gif")
    (cd build/game && run under_x ./replay ../../tools/replays/playthrough.keys \
      --trace "$WORK/trace.txt" --png "60:$WORK/level1.png" --gif "$WORK/run.gif" >/dev/null) &&
      [ -s "$WORK/level1.png" ] && [ -s "$WORK/run.gif" ] || fail "the replay's pictures" ;;
  "scripts/demo build/demo") run scripts/demo "$WORK/demo" ;;
  "scripts/docs-images") run scripts/docs-images "$WORK/docs" ;;
  *) fail "the README gives '$command', which $0 does not run" ;;
  esac
done < <(readme_commands)

run scripts/fuzz 5
run scripts/bench >"$WORK/bench.txt"
for script in scripts/*; do
  [ -f "$script" ] && [ -x "$script" ] && [[ $ran != *" $script "* ]] && fail "$script has not been run"
done
say "Every command of the README and every script ran."
