# Shared steps for the tests that run the real game in an X server.
# Expects EGGQUEST (the binary), SCREEN_CHECK and CLOSE_WINDOW (the helpers) in the environment.
set -u

SKIP=77
if [ -z "${DISPLAY:-}" ]; then
  echo "needs an X display (scripts/test provides one)"
  exit "$SKIP"
fi

WORK=$(mktemp -d)
GAME_PID=""
GAME_WINDOW=""
GAME_STATUS=""

cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -s "$WORK/stderr" ]; then
    echo "--- the game's standard error:"
    cat "$WORK/stderr"
  fi
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

# game_env: the environment the game and the replay tool run in; the sanitizer run keeps the
# libraries SDL loads at run time loaded to the end (see scripts/sanitizer-environment.sh).
game_env() {
  if [ -n "${GAME_PRELOAD:-}" ]; then
    env LD_PRELOAD="$GAME_PRELOAD" "$@"
  else
    env "$@"
  fi
}

# start_game FOLDER [VAR=VALUE...]: starts the game in FOLDER, its output captured.
start_game() {
  local folder=$1
  shift
  (
    cd "$folder" || exit 1
    [ -z "${GAME_PRELOAD:-}" ] || export LD_PRELOAD="$GAME_PRELOAD"
    exec env "$@" "$EGGQUEST" >"$WORK/stdout" 2>"$WORK/stderr"
  ) &
  GAME_PID=$!
}

find_window() {
  GAME_WINDOW=$(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null | head -n 1)
  [ -n "$GAME_WINDOW" ]
}

caption_shows_rate() {
  xdotool getwindowname "$GAME_WINDOW" 2>/dev/null | grep -Eq '^OpenGL Demo - [0-9]+\.[0-9]{2} $'
}

# Waits until the game's window is up and its caption shows a frame rate, then gives it the
# keyboard focus (there is no window manager to do so).
wait_until_playing() {
  poll 20 find_window || fail "the game's window did not appear"
  poll 20 caption_shows_rate || fail "caption is '$(xdotool getwindowname "$GAME_WINDOW")'"
  xdotool windowfocus "$GAME_WINDOW" || fail "cannot focus the game's window"
}

game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }

# wait_for_end SECONDS: waits for the game to end and keeps its exit status in GAME_STATUS.
wait_for_end() {
  poll "$1" game_ended || fail "the game did not end within $1 s"
  wait "$GAME_PID"
  GAME_STATUS=$?
  GAME_PID=""
}

press_escape() {
  xdotool keydown Escape
  poll 10 game_ended
  xdotool keyup Escape
}

expect_silence() {
  [ ! -s "$WORK/stdout" ] || fail "the game wrote to standard output: $(cat "$WORK/stdout")"
  [ ! -s "$WORK/stderr" ] || fail "the game wrote to standard error"
}

# screenshot FILE: the game's window as a binary PPM.
screenshot() {
  import -window "$GAME_WINDOW" -depth 8 "ppm:$1" 2>/dev/null || fail "cannot capture the window"
}
