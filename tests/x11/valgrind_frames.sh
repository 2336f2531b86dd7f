#!/usr/bin/env bash
# Memcheck over start-up, the ten uploads and two hundred frames: an upload that made the
# driver read past a pixel buffer, or any other fault, shows as an error here.
. "$(dirname "$0")/lib.sh"

cd "$GAME_DIR"
valgrind --error-exitcode=99 --suppressions="$VALGRIND_SUPPRESSIONS" --num-callers=30 \
  "$REPLAY" "$VALGRIND_KEYS" >"$WORK/stdout" 2>"$WORK/valgrind.log"
status=$?
if [ "$status" -ne 0 ]; then
  grep -v '^==[0-9]*== *$' "$WORK/valgrind.log" | head -n 60
  fail "valgrind found errors (status $status)"
fi
grep -qx "the game ended in frame 200" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
# The replay tool's summary comes last; any process that forked along the way has its own.
summaries=$(grep 'ERROR SUMMARY' "$WORK/valgrind.log")
[ -n "$summaries" ] || fail "valgrind wrote no error summary"
! grep -qv ' 0 errors' <<<"$summaries" || fail "errors: $summaries"
echo "valgrind: $(tail -n 1 <<<"$summaries")"
