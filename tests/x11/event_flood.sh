#!/usr/bin/env bash
# Thousands of events in one frame: the game, stopped, misses them all; resumed, it drains them
# in a single event pump, re-fetching the key state after each, and plays on.
. "$(dirname "$0")/lib.sh"

start_game "$GAME_DIR"
wait_until_playing
kill -STOP "$GAME_PID"
xdotool key --delay 0 --repeat 2500 Left Right || fail "cannot send the events"
kill -CONT "$GAME_PID"

caption_changes() { [ "$(xdotool getwindowname "$GAME_WINDOW")" != "$1" ]; }
poll 20 caption_changes "$(xdotool getwindowname "$GAME_WINDOW")" ||
  fail "the game stopped drawing after the flood"
press_escape
wait_for_end 20
[ "$GAME_STATUS" -eq 1 ] || fail "after the flood, Escape gave exit status $GAME_STATUS"
expect_silence
echo "event flood: ok"
