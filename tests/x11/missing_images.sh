#!/usr/bin/env bash
# A folder without images gives a silent game of plain white squares.
. "$(dirname "$0")/lib.sh"

mkdir "$WORK/empty"
start_game "$WORK/empty"
wait_until_playing
screenshot "$WORK/white.ppm"
"$SCREEN_CHECK" uniform "$WORK/white.ppm" 255 255 255 || fail "the window is not all white"
press_escape
wait_for_end 10
[ "$GAME_STATUS" -eq 1 ] || fail "Escape gave exit status $GAME_STATUS"
expect_silence
echo "missing images: ok"
