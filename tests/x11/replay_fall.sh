#!/usr/bin/env bash
# A key script that ends in level 2's open shaft: replay_fall.sh KEYS ESCAPE_FRAME
# The chicken falls far below the map for thousands of frames without a fault, every frame
# where the rules put it, and Escape still ends the game.
. "$(dirname "$0")/lib.sh"
keys=$1
escape_frame=$2

cd "$GAME_DIR"
game_env "$REPLAY" "$keys" --trace "$WORK/trace" >"$WORK/stdout" 2>"$WORK/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the replay ended with status $status"
[ ! -s "$WORK/stderr" ] || fail "the replay wrote to standard error: $(head -n 5 "$WORK/stderr")"
grep -qx "the game ended in frame $escape_frame" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
read -r _ level _ y < <(tail -n 1 "$WORK/trace")
[ "$level" = 2 ] || fail "the fall ended in level $level"
awk -v y="$y" 'BEGIN { exit !(y > 1000) }' || fail "the chicken ended at y $y, not far below the map"
"$SIMULATE_KEYS" "$keys" | cmp -s - "$WORK/trace" || fail "the fall differs from the rules'"
echo "fell to y $y by frame $escape_frame: ok"
