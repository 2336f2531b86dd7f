#!/usr/bin/env bash
# A close request from the window manager ends the game with status 1.
. "$(dirname "$0")/lib.sh"

start_game "$GAME_DIR"
wait_until_playing
"$CLOSE_WINDOW" "$GAME_WINDOW" || fail "cannot send the close request"
wait_for_end 10
[ "$GAME_STATUS" -eq 1 ] || fail "closing gave exit status $GAME_STATUS, not 1"
expect_silence
echo "window close: ok"
