#!/usr/bin/env bash
# The real game and its replay tool under a Wayland compositor, with no X server at all:
# run.sh CASE. Each case starts its own weston (headless, so it needs no screen) with a keyboard
# of the tests' own (WESTON_ESCAPE, tests/support/weston_escape.c), and asks SDL for Wayland.
. "$(dirname "$0")/../lib.sh"

# What the libraries print about the test compositor, each allowed only as this exact line; the
# game's own standard error stays empty.
ALLOWED_LINES=(
  # libdecor, SDL's window decorations: weston leaves decorations to the client, and the test
  # system has none of libdecor's drawing plugins.
  "No plugins found, falling back on no decorations"
  # ... and first that it has no folder for them at all.
  "Couldn't open plugin directory: No such file or directory"
  # Mesa's EGL (Debian 14) asks the compositor for its GPU, and tries Vulkan (zink), before it
  # settles for drawing in software: the test system has no GPU. Two of them end in a blank line.
  "libEGL warning: failed to get driver name for fd -1"
  "libEGL warning: MESA-LOADER: failed to retrieve device information"
  ""
  "MESA: error: ZINK: vkCreateInstance failed (VK_ERROR_INCOMPATIBLE_DRIVER)"
  "libEGL warning: egl: failed to create dri2 screen"
)
# quiet: standard error holds none but those lines.
quiet() {
  local line allowed
  while IFS= read -r line || [ -n "$line" ]; do
    for allowed in "${ALLOWED_LINES[@]}"; do
      [ "$line" = "$allowed" ] && continue 2
    done
    return 1
  done <"$WORK/stderr"
}

# As a desktop session has it: a private runtime folder, the compositor's socket in it, and no
# X display for SDL to fall back to.
export XDG_RUNTIME_DIR="$WORK/runtime" WAYLAND_DISPLAY=eggquest-test SDL_VIDEODRIVER=wayland
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
[ -n "${WESTON_ESCAPE:-}" ] || fail "the tests' weston module was not built (libweston's headers)"
command -v weston >/dev/null || fail "weston is not installed"
# Weston 10 (Debian 12) takes the headless backend by its module's file name, and GL by --use-gl.
if weston --help 2>&1 | grep -q -- --renderer; then
  backend=(--backend=headless --renderer=gl)
else
  backend=(--backend=headless-backend.so --use-gl)
fi
weston "${backend[@]}" --no-config --socket="$WAYLAND_DISPLAY" --idle-time=0 \
  --modules="$WESTON_ESCAPE" --log="$WORK/weston.log" >/dev/null 2>&1 &
WESTON_PID=$!
ENDED_AT_EXIT+=("$WESTON_PID")
compositor_up() {
  kill -0 "$WESTON_PID" 2>/dev/null || fail "weston did not start: $(tail -n 20 "$WORK/weston.log")"
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && grep -q "weston_escape: the keyboard is ready" \
    "$WORK/weston.log"
}
poll 20 compositor_up || fail "weston's socket did not appear: $(tail -n 20 "$WORK/weston.log")"

case "$1" in
playthrough) # Both levels by frame count, as under X: every position, and level 1's picture.
  cd "$GAME_DIR" && "$REPLAY" "$PLAYTHROUGH" --trace "$WORK/trace" --png "60:$WORK/60.png" \
    >"$WORK/stdout" 2>"$WORK/stderr" || fail "the replay ended with $?"
  quiet || fail "the replay wrote to standard error"
  played_through "$WORK/trace"
  looks_like "$WORK/60.png" art-60.png || fail "level 1 looks different"
  ;;
escape) # The game in its window, its rate in the title; Escape from the keyboard ends it.
  (cd "$GAME_DIR" && exec "$EGGQUEST" >"$WORK/stdout" 2>"$WORK/stderr") &
  GAME_PID=$!
  game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }
  poll 20 game_ended || fail "the game did not end: $(tail -n 5 "$WORK/weston.log")"
  wait "$GAME_PID"
  status=$?
  GAME_PID=""
  [ "$status" = 1 ] && [ ! -s "$WORK/stdout" ] || fail "the game ended with status $status"
  quiet || fail "the game wrote to standard error"
  pressed="weston_escape: pressed Escape in the window titled 'OpenGL Demo - [0-9]+\.[0-9]{2} '\$"
  grep -Eq "$pressed" "$WORK/weston.log" ||
    fail "Escape was not pressed in the game's window: $(tail -n 5 "$WORK/weston.log")"
  ;;
*) fail "no test case '$1'" ;;
esac
echo "$1: ok"
