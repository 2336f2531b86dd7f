#!/usr/bin/env bash
# The two start-up failures: their messages on standard error and their exit statuses.
. "$(dirname "$0")/lib.sh"

# expect_failure STATUS MESSAGE_START VAR=VALUE...: runs the game with the given environment.
expect_failure() {
  local status=$1 message=$2
  shift 2
  start_game "$GAME_DIR" "$@"
  wait_for_end 20
  [ "$GAME_STATUS" -eq "$status" ] || fail "$* gave exit status $GAME_STATUS, not $status"
  [ ! -s "$WORK/stdout" ] || fail "$* wrote to standard output"
  # SDL's own probing may say something first (Wayland without XDG_RUNTIME_DIR does).
  case "$(tail -n 1 "$WORK/stderr")" in
    "$message"*) ;;
    *) fail "$* wrote '$(cat "$WORK/stderr")', not '$message...'" ;;
  esac
}

expect_failure 1 "Unable to init SDL: " SDL_VIDEODRIVER=no_such_driver
expect_failure 2 "Unable to create OpenGL Scene: " SDL_VIDEODRIVER=dummy
# No display at all: SDL would fall back to an invisible window, which nobody could close.
expect_failure 2 "Unable to create OpenGL Scene: no display found" -u DISPLAY -u WAYLAND_DISPLAY
echo "start-up errors: ok"
