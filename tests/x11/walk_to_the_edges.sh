#!/usr/bin/env bash
# With flat-coloured images: level 1 is drawn where its map says, and holding Right or Left walks
# the chicken until its square covers the last column exactly.
. "$(dirname "$0")/lib.sh"

mkdir "$WORK/images"
"$SCREEN_CHECK" images "$WORK/images" || fail "cannot write the fixture images"
start_game "$WORK/images"
wait_until_playing

screenshot "$WORK/start.ppm"
"$SCREEN_CHECK" layout "$WORK/start.ppm" 1 || fail "level 1 is not drawn as its map says"
read -r left _ right _ < <("$SCREEN_CHECK" chicken "$WORK/start.ppm")
[ "$left $right" = "400 439" ] || fail "the chicken starts at pixels $left..$right, not 400..439"

# walk KEY LEFT RIGHT: holds KEY until the chicken covers pixel columns LEFT to RIGHT.
chicken_at() {
  screenshot "$WORK/now.ppm"
  [ "$("$SCREEN_CHECK" chicken "$WORK/now.ppm" | cut -d' ' -f1,3)" = "$1 $2" ]
}
walk() {
  xdotool keydown "$1"
  poll 20 chicken_at "$2" "$3"
  local reached=$?
  xdotool keyup "$1"
  [ "$reached" -eq 0 ] || fail "holding $1 left the chicken at $("$SCREEN_CHECK" chicken "$WORK/now.ppm")"
}
walk Right 760 799
walk Left 0 39
"$SCREEN_CHECK" layout "$WORK/now.ppm" 1 || fail "walking changed the level's tiles"

press_escape
wait_for_end 10
[ "$GAME_STATUS" -eq 1 ] || fail "Escape gave exit status $GAME_STATUS"
expect_silence
echo "walking to both edges: ok"
