#!/usr/bin/env bash
# Into level 2's open shaft: twenty thousand frames of falling, far below the map, without a
# fault, and Escape still ends the game.
. "$(dirname "$0")/lib.sh"

cd "$GAME_DIR"
game_env "$REPLAY" "$SHAFT" --trace "$WORK/trace" >"$WORK/stdout" 2>"$WORK/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the replay ended with status $status"
grep -qx "the game ended in frame 20000" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
read -r frame level x y < <(tail -n 1 "$WORK/trace")
[ "$level" = 2 ] || fail "the fall ended in level $level"
awk -v y="$y" 'BEGIN { exit !(y > 1000000) }' || fail "after 20000 frames the chicken is only at y $y"
"$SIMULATE_KEYS" "$SHAFT" | cmp -s - "$WORK/trace" || fail "the fall differs from the rules'"
echo "the endless fall: ok (y $y after frame $frame)"
