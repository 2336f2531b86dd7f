#!/usr/bin/env bash
# Every command the README gives, and every script in scripts/, run once in a cheap form (a
# temporary folder, a short fuzzing run, one test), so that a broken one fails CI. CI runs it
# after scripts/test, which installs and builds what these need. A README command this file
# does not know fails it: each new one needs its cheap form here.
. "$(dirname "$0")/../../scripts/common.sh"
cd "$ROOT"
WORK=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$WORK"' EXIT
ran=" scripts/test "  # .ci/run has just run it

fail() { say "FAIL: $*"; exit 1; }
run() { say "== $*"; "$@" || fail "'$*' failed with status $?"; ran+=" $1 "; }

# The installed launcher, run as a player would under a private X server, with SETTING (a
# VARIABLE=VALUE in its environment, an --option, or none): the game's window must be SIZE and its
# environment hold EXPECTED, and Escape must end it with status 1.
play() {  # play SETTING EXPECTED SIZE
  say "== $1 $WORK/local/bin/eggquest"
  under_x bash -c '
    cd /
    case $1 in -*) option=$1 setting="" ;; *) option="" setting=$1 ;; esac
    env -u SDL12COMPAT_SYNC_TO_VBLANK $setting "$4" $option & pid=$!
    for _ in $(seq 400); do window=$(xdotool search --onlyvisible --pid "$pid") && break; sleep 0.05; done
    [ -n "${window:-}" ] || { echo "no window"; exit 1; }
    size=$(xdotool getwindowgeometry "$window" | sed -n "s/^ *Geometry: //p")
    setting=$(tr "\0" "\n" <"/proc/$pid/environ" | grep -x "$2")
    [ -z "$option" ] || tr "\0" " " <"/proc/$pid/cmdline" | grep -q -- " $option" || setting=""
    xdotool windowfocus "$window" keydown Escape; wait "$pid"; status=$?; xdotool keyup Escape
    [ "$status" = 1 ] && [ "$size" = "$3" ] && [ -n "$setting" ] ||
      { echo "status $status, window $size, $2 ${setting:-missing}"; exit 1; }
  ' _ "$1" "$2" "$3" "$WORK/local/bin/eggquest" || fail "the installed game with '$1'"
}

readme_commands() {
  awk '/^ *```sh$/ { on = 1; next } /^ *```/ { on = 0 } on' README.md |
    sed -e 's/[[:space:]]#.*//' -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' | grep -v '^$'
}

while IFS= read -r command; do
  case "$command" in
  "scripts/play") run env -u DISPLAY -u WAYLAND_DISPLAY scripts/play; ran+=" scripts/play scripts/demo " ;;
  "scripts/play --mute")  # with a display, so that the game itself starts
    say "== scripts/play --mute"
    under_x bash -c 'scripts/play --mute & pid=$!
      for _ in $(seq 1200); do window=$(xdotool search --onlyvisible --name "^OpenGL Demo") && break; sleep 0.1; done
      [ -n "${window:-}" ] && tr "\0" " " <"/proc/$(xdotool getwindowpid "$window")/cmdline" | grep -q -- " --mute" &&
        xdotool windowfocus "$window" keydown Escape; xdotool keyup Escape; wait "$pid"
      [ $? = 1 ]' >/dev/null || fail "scripts/play --mute did not start the muted game" ;;
  "eggquest --mute") play --mute SDL12COMPAT_SYNC_TO_VBLANK=1 800x600 ;;
  "scripts/web")
    say "== scripts/web"
    scripts/web >"$WORK/web.log" 2>&1 & server=$!
    /usr/bin/python3 - <<'PAGE' || fail "scripts/web served no page: $(tail -n 5 "$WORK/web.log")"
import time, urllib.request
deadline = time.monotonic() + 300  # it builds first
while True:
    try:
        if b'<title>eggquest</title>' in urllib.request.urlopen('http://127.0.0.1:8000/').read():
            break
    except OSError:
        assert time.monotonic() < deadline
        time.sleep(0.2)
PAGE
    kill "$server"; server=""; ran+=" scripts/web " ;;
  "scripts/web --build-only") run scripts/web --build-only ;;
  "scripts/test") ;;
  "scripts/test --quick") run scripts/test --quick -R '^Rules' ;;
  "scripts/test --web") run scripts/test --web -R web.no_webgl ;;
  "scripts/test --quick -R x11.walk") run scripts/test --quick -R x11.walk ;;
  "cmake --install build --prefix ~/.local") run cmake --install build --prefix "$WORK/local" ;;
  "~/.local/bin/eggquest") play "" SDL12COMPAT_SYNC_TO_VBLANK=1 800x600 ;;
  "SDL12COMPAT_SYNC_TO_VBLANK=0 eggquest")
    play SDL12COMPAT_SYNC_TO_VBLANK=0 SDL12COMPAT_SYNC_TO_VBLANK=0 800x600 ;;
  "SDL12COMPAT_WINDOW_SCALING=2 eggquest")
    play SDL12COMPAT_WINDOW_SCALING=2 SDL12COMPAT_WINDOW_SCALING=2 1600x1200 ;;
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
    (cd build/game && run under_x ./replay ../../tools/replays/playthrough.keys --trace "$WORK/trace.txt" \
      --png "60:$WORK/level1.png" --gif "$WORK/run.gif" >/dev/null) &&
      [ -s "$WORK/level1.png" ] && [ -s "$WORK/run.gif" ] || fail "the replay's pictures" ;;
  "scripts/demo build/demo") run scripts/demo "$WORK/demo" ;;
  "scripts/docs-images") run scripts/docs-images "$WORK/docs" ;;
  *) fail "the README gives '$command', which $0 does not run" ;;
  esac
done < <(readme_commands)

run scripts/fuzz 5
run scripts/bench >"$WORK/bench.txt"
for script in scripts/*; do
  [ -x "$script" ] && [[ $ran != *" $script "* ]] && fail "$script has not been run"
done
say "Every command of the README and every script ran."
