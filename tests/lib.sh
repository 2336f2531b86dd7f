# What the real game's test drivers share, sourced by tests/x11/run.sh and tests/wayland/run.sh: a
# temporary folder ($WORK, gone at exit with the game, GAME_PID, and the processes in
# ENDED_AT_EXIT), failing with the game's standard error, polling with a deadline, and the
# recorded playthrough's checks.
set -u
WORK=$(mktemp -d)
GAME_PID=""
ENDED_AT_EXIT=()  # what a case starts beside the game: a server, a compositor, a window manager
trap 'kill $GAME_PID "${ENDED_AT_EXIT[@]}" 2>/dev/null || true; rm -rf "$WORK"' EXIT

fail() { echo "FAIL: $*"; head -n 60 "$WORK/stderr" 2>/dev/null; exit 1; }
# poll SECONDS COMMAND...: runs COMMAND until it succeeds; false once the deadline has passed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do [ "$SECONDS" -lt "$deadline" ] && sleep 0.05 || return 1; done
}

# looks_like PICTURE GOLDEN: no pixel differs by more than the rasterizers' rounding. ImageMagick 6
# prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
looks_like() { [[ $(compare -metric AE -fuzz 3% "$1" "$GOLDEN/$2" null: 2>&1) =~ ^0( \(0\))?$ ]]; }
# played_through TRACE: the replay of tools/replays/playthrough.keys said (in $WORK/stdout) what
# the recorded one did, and TRACE holds its every position.
played_through() {
  [ "$(cat "$WORK/stdout")" = $'level 2 drawn from frame 121\nthe game ended in frame 245' ] ||
    fail "the levels came at other frames: $(cat "$WORK/stdout")"
  diff "$GOLDEN/playthrough.trace" "$1" >"$WORK/stderr" || fail "the positions differ"
}
