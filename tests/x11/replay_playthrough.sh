#!/usr/bin/env bash
# The playthrough through the replay tool: it reaches level 2 and the end at the frames the
# rules predict, every frame draws the rules' own position, and the saved frames show it.
. "$(dirname "$0")/lib.sh"

mkdir "$WORK/images"
"$SCREEN_CHECK" images "$WORK/images" || fail "cannot write the fixture images"
cd "$WORK/images"
game_env "$REPLAY" "$PLAYTHROUGH" --trace "$WORK/trace" --png "60:$WORK/60.png" --png "180:$WORK/180.png" \
  --gif "$WORK/run.gif" >"$WORK/stdout" 2>"$WORK/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the replay ended with status $status"
grep -qx "level 2 drawn from frame 121" "$WORK/stdout" || fail "level 2 came at another frame: $(cat "$WORK/stdout")"
grep -qx "the game ended in frame 245" "$WORK/stdout" || fail "the game ended at another frame: $(cat "$WORK/stdout")"

"$SIMULATE_KEYS" "$PLAYTHROUGH" >"$WORK/rules"
cmp -s "$WORK/trace" "$WORK/rules" || fail "the replay's positions differ from the rules': $(diff "$WORK/trace" "$WORK/rules" | head -n 4)"

# check_frame FRAME LEVEL: the saved frame shows the level's tiles and the chicken where the
# trace puts it (its square starts at the first pixel centre inside it).
check_frame() {
  convert "$WORK/$1.png" -depth 8 "ppm:$WORK/$1.ppm" || fail "cannot read the PNG of frame $1"
  "$SCREEN_CHECK" layout "$WORK/$1.ppm" "$2" || fail "frame $1 does not show level $2"
  read -r left top _ < <("$SCREEN_CHECK" chicken "$WORK/$1.ppm")
  read -r want_left want_top < <(awk -v f="$1" '$1 == f { l = $3 * 40 - 0.5; t = $4 * 30 - 0.5;
    printf "%d %d\n", (l == int(l) ? l : int(l) + 1), (t == int(t) ? t : int(t) + 1) }' "$WORK/trace")
  [ "$left $top" = "$want_left $want_top" ] ||
    fail "frame $1 shows the chicken at $left,$top, not at $want_left,$want_top"
}
check_frame 60 1
check_frame 180 2

frames=$(identify "$WORK/run.gif" | wc -l)
[ "$frames" -eq 123 ] || fail "the animation has $frames frames, not one every other frame (123)"
echo "replayed playthrough: ok"
