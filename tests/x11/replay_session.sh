#!/usr/bin/env bash
# A whole session through the replay tool: walking, jumping, both levels, three thousand
# frames of falling down the shaft, and Escape; the rules' positions frame for frame.
. "$(dirname "$0")/lib.sh"

cd "$GAME_DIR"
game_env "$REPLAY" "$SESSION" --trace "$WORK/trace" >"$WORK/stdout" 2>"$WORK/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the replay ended with status $status"
grep -qx "the game ended in frame 3400" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
"$SIMULATE_KEYS" "$SESSION" | cmp -s - "$WORK/trace" || fail "the session differs from the rules'"
[ ! -s "$WORK/stderr" ] || fail "the replay wrote to standard error: $(head -n 5 "$WORK/stderr")"
echo "session: ok"
