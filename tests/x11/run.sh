#!/usr/bin/env bash
# The real game, its replay tool and its installed package in an X server: run.sh CASE [ARGS...]
# Screens are compared, through ImageMagick, with the pictures in tests/golden/; the fixture
# images (tests/fixtures/) differ top to bottom and left to right, so a picture drawn upside
# down, mirrored or skewed shows. Reads EGGQUEST, REPLAY, CLOSE_WINDOW, GAME_DIR, FIXTURE_DIR,
# GOLDEN and the other paths CMake passes.
set -u
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (scripts/test provides one)"; exit 77; }
WORK=$(mktemp -d)
GAME_PID=""
trap '[ -z "$GAME_PID" ] || kill "$GAME_PID" 2>/dev/null; rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*"
  [ ! -s "$WORK/stderr" ] || head -n 60 "$WORK/stderr"
  exit 1
}
# poll SECONDS COMMAND...: runs COMMAND until it succeeds; false once the deadline has passed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# The sanitizer run preloads a library that keeps what SDL loads at run time loaded to the end.
PRELOAD=(env ${GAME_PRELOAD:+"LD_PRELOAD=$GAME_PRELOAD"})
# start_game FOLDER [ENV ARGUMENTS...]: the game, started in FOLDER in the background.
start_game() {
  (cd "$1" && shift && exec "${PRELOAD[@]}" env "$@" "$EGGQUEST" >"$WORK/stdout" 2>"$WORK/stderr") &
  GAME_PID=$!
}
window_up() { WINDOW=$(xdotool search --onlyvisible --pid "$GAME_PID" | head -n 1) && [ -n "$WINDOW" ]; }
caption() { xdotool getwindowname "$WINDOW"; }
caption_shows_rate() { caption | grep -Eq '^OpenGL Demo - [0-9]+\.[0-9]{2} $'; }
# There is no window manager to give the game the keyboard.
wait_until_playing() {
  poll 20 window_up || fail "the game's window did not appear"
  poll 20 caption_shows_rate || fail "the caption is '$(caption)'"
  xdotool windowfocus "$WINDOW" || fail "cannot focus the game's window"
}
game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }
# ended STATUS: the game ends within 20 s with STATUS and writes nothing to standard output.
ended() {
  poll 20 game_ended || fail "the game did not end"
  wait "$GAME_PID"
  local status=$?
  GAME_PID=""
  [ "$status" -eq "$1" ] && [ ! -s "$WORK/stdout" ] ||
    fail "the game ended with status $status, not $1, writing '$(cat "$WORK/stdout")'"
}
quiet_end() { ended 1 && [ ! -s "$WORK/stderr" ] || fail "the game wrote to standard error"; }
press_escape() {
  xdotool keydown Escape && poll 10 game_ended
  xdotool keyup Escape
  quiet_end
}

screenshot() { import -window "$WINDOW" -depth 8 "ppm:$WORK/shot.ppm" || fail "no screenshot"; }
# looks_like PICTURE GOLDEN: no pixel differs by more than the rasterizers' rounding.
looks_like() { [ "$(compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1)" = 0 ]; }
# chicken_on "LEFT RIGHT": the fixture chicken's magenta half covers exactly these columns.
chicken_on() {
  screenshot
  local box
  box=$(convert "$WORK/shot.ppm" -fuzz 15% -fill black +opaque magenta -format '%@' info:)
  [[ $box =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+ ]] || return 1  # WIDTHxHEIGHT+LEFT+TOP
  CHICKEN="${BASH_REMATCH[2]} $((BASH_REMATCH[2] + BASH_REMATCH[1] - 1))"
  [ "$CHICKEN" = "$1" ]
}
# walk KEY "LEFT RIGHT": holds KEY until the chicken covers exactly those columns.
walk() {
  xdotool keydown "$1"
  poll 20 chicken_on "$2"
  local reached=$?
  xdotool keyup "$1"
  [ "$reached" -eq 0 ] || fail "holding $1 left the chicken on columns ${CHICKEN:-none}"
}

# expect_failure STATUS MESSAGE ENV_ARGUMENTS...: the game fails to start; the message is the
# last line of its standard error (SDL's own probing may come first), with no line break.
expect_failure() {
  local status=$1 message=$2 error
  shift 2
  start_game "$GAME_DIR" "$@"
  ended "$status"
  IFS= read -r -d '' error <"$WORK/stderr"
  [[ ${error##*$'\n'} == "$message"* ]] || fail "$* wrote '$error', not '$message...'"
}
# replay SCRIPT [ARGS...]: the replay tool in the current folder; it must end the game cleanly.
replay() {
  "${PRELOAD[@]}" "$REPLAY" "$@" >"$WORK/stdout" 2>"$WORK/stderr" || fail "the replay ended with $?"
  [ ! -s "$WORK/stderr" ] || fail "the replay wrote to standard error"
}

case "$1" in
quit) # Escape, and a window manager's close request, end the game silently with status 1.
  start_game "$GAME_DIR"
  wait_until_playing
  press_escape
  start_game "$GAME_DIR"
  wait_until_playing
  "$CLOSE_WINDOW" "$WINDOW" || fail "cannot send the close request"
  quiet_end
  ;;
walk) # Held arrow keys walk the chicken until its square covers the first or last column.
  start_game "$FIXTURE_DIR"
  wait_until_playing
  walk Right "760 799"
  walk Left "0 39"
  press_escape
  ;;
no_images) # A folder without images gives a game of plain white squares.
  mkdir "$WORK/empty"
  start_game "$WORK/empty"
  wait_until_playing
  screenshot
  colours=$(convert "$WORK/shot.ppm" -format '%k %[hex:p{0,0}]' info:)
  [ "$colours" = "1 FFFFFF" ] || fail "the window has colours '$colours', not white alone"
  press_escape
  ;;
startup_errors)
  expect_failure 1 "Unable to init SDL: " SDL_VIDEODRIVER=no_such_driver
  expect_failure 2 "Unable to create OpenGL Scene: " SDL_VIDEODRIVER=dummy
  # No display: SDL would fall back to an invisible window, which nobody could close.
  expect_failure 2 "Unable to create OpenGL Scene: no display found" -u DISPLAY -u WAYLAND_DISPLAY
  ;;
event_flood) # Stopped, the game misses thousands of events; resumed, it drains them and plays on.
  start_game "$GAME_DIR"
  wait_until_playing
  kill -STOP "$GAME_PID"
  xdotool key --delay 0 --repeat 2500 Left Right || fail "cannot send the events"
  kill -CONT "$GAME_PID"
  caption_is_not() { [ "$(caption)" != "$1" ]; }
  poll 20 caption_is_not "$(caption)" ||
    fail "the game stopped drawing after the flood"
  press_escape
  ;;
playthrough) # Both levels by frame count: every position, and the frames drawn with both sets of images.
  cd "$FIXTURE_DIR" || fail "no fixture images"
  replay "$PLAYTHROUGH" --trace "$WORK/trace" --png "0:$WORK/0.png" --png "60:$WORK/60.png" \
    --png "180:$WORK/180.png" --gif "$WORK/run.gif"
  grep -qx "level 2 drawn from frame 121" "$WORK/stdout" && grep -qx "the game ended in frame 245" \
    "$WORK/stdout" || fail "the levels came at other frames: $(cat "$WORK/stdout")"
  cmp -s "$WORK/trace" "$GOLDEN/playthrough.trace" ||
    fail "the positions differ: $(diff "$GOLDEN/playthrough.trace" "$WORK/trace" | head -n 4)"
  for frame in 0 60 180; do
    looks_like "$WORK/$frame.png" "$GOLDEN/fixtures-$frame.png" || fail "frame $frame looks different"
  done
  frames=$(identify "$WORK/run.gif" | wc -l)
  [ "$frames" -eq 123 ] || fail "the animation has $frames frames, not one every other frame (123)"
  cd "$GAME_DIR" && replay "$PLAYTHROUGH" --png "60:$WORK/art.png"
  looks_like "$WORK/art.png" "$GOLDEN/art-60.png" || fail "the game's own images look different"
  ;;
fall) # fall SCRIPT ESCAPE_FRAME: down level 2's shaft far below the map, until Escape ends it.
  cd "$GAME_DIR" && replay "$2" --trace "$WORK/trace"
  grep -qx "the game ended in frame $3" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
  read -r _ level _ y < <(tail -n 1 "$WORK/trace")
  [ "$level" = 2 ] && awk -v y="$y" 'BEGIN { exit !(y > 1000) }' ||
    fail "the fall ended in level $level at y $y"
  ;;
valgrind) # Memcheck over start-up, the ten uploads and two hundred frames.
  cd "$GAME_DIR" &&
    valgrind --error-exitcode=99 --suppressions="$VALGRIND_SUPPRESSIONS" --num-callers=30 \
      "$REPLAY" "$VALGRIND_KEYS" >"$WORK/stdout" 2>"$WORK/stderr" || fail "memcheck: status $?"
  grep -qx "the game ended in frame 200" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
  # One summary per process, should anything fork.
  summaries=$(grep 'ERROR SUMMARY' "$WORK/stderr")
  [ -n "$summaries" ] && ! grep -qv ' 0 errors' <<<"$summaries" || fail "memcheck: $summaries"
  ;;
installed) # What cmake --install makes, its launcher, and the Debian package, through Debian's checks.
  root="$WORK/stage/opt/eggquest"
  DESTDIR="$WORK/stage" cmake --install "$BUILD_DIR" --prefix /opt/eggquest >"$WORK/log" ||
    fail "cmake --install: $(tail -n 3 "$WORK/log")"
  images=$(ls "$root"/share/games/eggquest/*.tga | wc -l)
  [ -x "$root/libexec/eggquest/eggquest" ] && [ "$images" -eq 10 ] || fail "the game or its images are missing"
  for size in 32 64 128 256; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/eggquest.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "no ${size}x${size} icon"
  done
  # Started from another folder, the launcher asks for vertical sync unless the player has chosen.
  mkdir "$WORK/elsewhere"
  EGGQUEST="$root/bin/eggquest"
  for choice in "-u SDL12COMPAT_SYNC_TO_VBLANK:1" "SDL12COMPAT_SYNC_TO_VBLANK=0:0"; do
    start_game "$WORK/elsewhere" ${choice%:*}
    wait_until_playing
    vsync=$(tr '\0' '\n' <"/proc/$GAME_PID/environ" | sed -n 's/^SDL12COMPAT_SYNC_TO_VBLANK=//p')
    [ "$vsync" = "${choice#*:}" ] || fail "with $choice the game got '$vsync'"
    press_escape
  done
  "$CPACK" -G DEB -B "$WORK/deb" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/log" ||
    fail "cpack: $(tail -n 3 "$WORK/log")"
  deb=$(ls "$WORK"/deb/eggquest_*.deb)
  dpkg-deb -x "$deb" "$WORK/deb/tree"
  usr="$WORK/deb/tree/usr"
  [ -x "$usr/games/eggquest" ] && [ ! -e "$usr/bin" ] || fail "the launcher is not in /usr/games alone"
  grep -qx 'Exec=eggquest' "$usr"/share/applications/*.desktop || fail "the menu entry does not start eggquest"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libsdl1.2-compat-shim libgl1 libglu1-mesa; do
    [[ $depends == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
  done
  apt-get install -s "$deb" >"$WORK/log" 2>&1 && grep -q '^Inst eggquest ' "$WORK/log" ||
    fail "apt would not install the package: $(tail -n 3 "$WORK/log")"
  # Errors and warnings fail, and so does missing hardening, which lintian calls information.
  lintian --fail-on error,warning --display-info "$deb" >"$WORK/log" 2>&1 &&
    ! grep -q ': hardening-' "$WORK/log" || fail "lintian: $(cat "$WORK/log")"
  desktop-file-validate "$usr"/share/applications/*.desktop || fail "the menu entry is not valid"
  # Without the network: the screenshot's address is not fetched.
  appstreamcli validate-tree --no-net "$WORK/deb/tree" >"$WORK/log" 2>&1 ||
    fail "appstreamcli: $(cat "$WORK/log")"
  ;;
*) fail "no test case '$1'" ;;
esac
echo "$1: ok"
