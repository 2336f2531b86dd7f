#!/usr/bin/env bash
# The game with its own images shows its frame rate, and Escape ends it silently with status 1.
. "$(dirname "$0")/lib.sh"

start_game "$GAME_DIR"
wait_until_playing
press_escape
wait_for_end 10
[ "$GAME_STATUS" -eq 1 ] || fail "Escape gave exit status $GAME_STATUS, not 1"
expect_silence
echo "caption and Escape: ok"
