#!/usr/bin/env bash
# The real game, its replay tool, page and package in an X server: run.sh CASE [ARGS...]. Screens
# are compared with tests/golden/ by ImageMagick; the fixture pictures differ top to bottom and
# left to right, so one drawn turned, mirrored or skewed shows.
set -u
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (scripts/test provides one)"; exit 77; }
WORK=$(mktemp -d)
trap '[ -z "${GAME_PID:-}" ] || kill "$GAME_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
# As a desktop session has it: a private runtime folder (without one, SDL 3's look for a Wayland
# compositor makes the Wayland library complain on standard error). The game goes to the X server.
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

fail() { echo "FAIL: $*"; head -n 60 "$WORK/stderr" 2>/dev/null; exit 1; }
# poll SECONDS COMMAND...: runs COMMAND until it succeeds; false once the deadline has passed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do [ "$SECONDS" -lt "$deadline" ] && sleep 0.05 || return 1; done
}

# The sanitizer run preloads a library that keeps what SDL loads at run time loaded to the end.
PRELOAD=(env ${GAME_PRELOAD:+"LD_PRELOAD=$GAME_PRELOAD"})
# start_game FOLDER [ENV ARGUMENTS...]: the game, started in FOLDER in the background, with the
# options in GAME_ARGS.
GAME_ARGS=()
start_game() {
  (cd "$1" && shift && exec "${PRELOAD[@]}" env "$@" "$EGGQUEST" "${GAME_ARGS[@]}" \
    >"$WORK/stdout" 2>"$WORK/stderr") &
  GAME_PID=$!
}
window_up() { WINDOW=$(xdotool search --onlyvisible --pid "$GAME_PID") && [ "$WINDOW" ]; }
rate_shown() { xdotool getwindowname "$WINDOW" | grep -Eq '^OpenGL Demo - [0-9]+\.[0-9]{2} $'; }
# There is no window manager to give the game the keyboard.
wait_until_playing() {
  poll 20 window_up || fail "the game's window did not appear"
  poll 20 rate_shown || fail "the caption is '$(xdotool getwindowname "$WINDOW")'"
  xdotool windowfocus "$WINDOW" || fail "cannot focus the game's window"
}
game_ended() { ! kill -0 "$GAME_PID" 2>/dev/null; }
# ended STATUS: the game ends within 20 s with STATUS, and writes nothing to standard output.
ended() {
  poll 20 game_ended || fail "the game did not end"
  wait "$GAME_PID"
  local status=$?
  GAME_PID=""
  [ "$status" -eq "$1" ] && [ ! -s "$WORK/stdout" ] ||
    fail "the game ended with status $status, not $1, writing '$(cat "$WORK/stdout")'"
}
# A normal end: status 1, and nothing on standard error either.
quiet_end() { ended 1 && [ ! -s "$WORK/stderr" ] || fail "the game wrote to standard error"; }
press_escape() { xdotool keydown Escape && poll 10 game_ended; xdotool keyup Escape; quiet_end; }
# looks_like PICTURE GOLDEN: no pixel differs by more than the rasterizers' rounding. ImageMagick 6
# prints the count of differing pixels, 7 adds the share in brackets: "0 (0)".
looks_like() { [[ $(compare -metric AE -fuzz 3% "$1" "$GOLDEN/$2" null: 2>&1) =~ ^0( \(0\))?$ ]]; }
# chicken_on "LEFT RIGHT": the fixture chicken's magenta half covers exactly these columns.
chicken_on() {
  import -window "$WINDOW" "$WORK/shot.ppm" || fail "no screenshot"
  CHICKEN=$(convert "$WORK/shot.ppm" -fuzz 15% -fill black +opaque magenta -format '%@' info:)
  [[ $CHICKEN =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+ ]] &&  # WIDTHxHEIGHT+LEFT+TOP
    [ "${BASH_REMATCH[2]} $((BASH_REMATCH[2] + BASH_REMATCH[1] - 1))" = "$1" ]
}
# walk KEY "LEFT RIGHT": holds KEY until the chicken covers exactly those columns.
walk() {
  xdotool keydown "$1"
  poll 20 chicken_on "$2" || { xdotool keyup "$1"; fail "holding $1 left the chicken at $CHICKEN"; }
  xdotool keyup "$1"
}
# expect_failure STATUS MESSAGE ENV_ARGUMENTS...: the game does not start. The message is the
# last line on standard error, after anything SDL's own probing said, and ends no line.
expect_failure() {
  local status=$1 message=$2 error
  shift 2
  start_game "$GAME_DIR" "$@"
  ended "$status"
  IFS= read -r -d '' error <"$WORK/stderr"
  [[ ${error##*$'\n'} == "$message"* ]] || fail "$* wrote '$error', not '$message...'"
}
# chicken_top: the top row of the fixture chicken's magenta half, in CHICKEN_TOP.
chicken_top() {
  import -window "$WINDOW" "$WORK/shot.ppm" || fail "no screenshot"
  CHICKEN=$(convert "$WORK/shot.ppm" -fuzz 15% -fill black +opaque magenta -format '%@' info:)
  [[ $CHICKEN =~ \+([0-9]+)$ ]] && CHICKEN_TOP=${BASH_REMATCH[1]}
}
risen() { chicken_top && [ "$CHICKEN_TOP" -lt $(($1 - 10)) ]; }
# The chicken starts at y 10, 300 pixels down, and stands on the ground at about 17, 510 down.
landed() { chicken_top && [ "$CHICKEN_TOP" -gt 450 ]; }
heard() { ! "$SOUND_BURSTS" "$1" >/dev/null; }  # it finds sound where it was told of none
# moments TRACE STDOUT TIMES: the effect due at every jump and level change of a replay, as
# NAME@SECONDS of sound mixed by the end of its frame (the replay's --sound-times), and, optional,
# the second egg's at the game's end. A jump lifts the chicken by more than 0.4 in one frame, from
# standing or falling; the rise that follows slows.
moments() {
  awk 'FILENAME == ARGV[1] { at[$1] = $2; next }
       FILENAME == ARGV[2] { if (FNR > 1) { step = $4 - y
                               if (step < -0.4 && last > -0.3) printf "jump@%s ", at[$1 - 1]
                               if ($2 != level) printf "level@%s ", at[$1 - 1]
                               last = step }
                             y = $4; level = $2; next }
       /^the game ended in frame / { printf "?goal@%s", at[$6] }' "$3" "$1" "$2"
}
# replay SCRIPT [ARGS...]: the replay tool in the current folder; the game must end cleanly.
replay() {
  "${PRELOAD[@]}" "$REPLAY" "$@" >"$WORK/stdout" 2>"$WORK/stderr" || fail "the replay ended with $?"
  [ ! -s "$WORK/stderr" ] || fail "the replay wrote to standard error"
}

case "$1" in
walk) # Held arrows walk the chicken until its square covers the last column, or the first.
  start_game "$FIXTURE_DIR"
  wait_until_playing
  walk Right "760 799"
  walk Left "0 39"
  press_escape
  ;;
no_images) # Without its images the game is plain white squares; a close request ends it.
  start_game "$WORK"  # no images there
  wait_until_playing
  colours=$(import -window "$WINDOW" -depth 8 -format '%k %[hex:p{0,0}]' info:)
  [ "$colours" = "1 FFFFFF" ] || fail "the window has colours '$colours', not white alone"
  "$CLOSE_WINDOW" "$WINDOW" || fail "cannot send the close request"
  quiet_end
  ;;
startup_errors)
  expect_failure 1 "Unable to init SDL: " SDL_VIDEODRIVER=no_such_driver
  expect_failure 2 "Unable to create OpenGL Scene: " SDL_VIDEODRIVER=dummy
  # No display at all: SDL 2 starts, and would fall back to an invisible window, which nobody
  # could close; SDL 3 does not start. Debian 14's SDL 2 library is sdl2-compat, over SDL 3.
  if dpkg-query -W -f='${Source}' libsdl2-2.0-0 | grep -q '^sdl2-compat'; then
    expect_failure 1 "Unable to init SDL: No available video device" -u DISPLAY -u WAYLAND_DISPLAY
  else
    expect_failure 2 "Unable to create OpenGL Scene: no display found" -u DISPLAY -u WAYLAND_DISPLAY
  fi
  ;;
playthrough) # Both levels by frame count: every position, and frames of both sets of pictures.
  cd "$FIXTURE_DIR" && replay "$PLAYTHROUGH" --trace "$WORK/trace" --png "0:$WORK/0.png" \
    --png "60:$WORK/60.png" --png "180:$WORK/180.png" --gif "$WORK/run.gif"
  [ "$(cat "$WORK/stdout")" = $'level 2 drawn from frame 121\nthe game ended in frame 245' ] ||
    fail "the levels came at other frames: $(cat "$WORK/stdout")"
  diff "$GOLDEN/playthrough.trace" "$WORK/trace" >"$WORK/stderr" || fail "the positions differ"
  for frame in 0 60 180; do
    looks_like "$WORK/$frame.png" "fixtures-$frame.png" || fail "frame $frame looks different"
  done
  [ "$(identify "$WORK/run.gif" | wc -l)" = 123 ] || fail "the animation is not every other frame"
  cd "$GAME_DIR" && replay "$PLAYTHROUGH" --png "60:$WORK/art.png"
  looks_like "$WORK/art.png" art-60.png || fail "the game's own pictures look different"
  printf '1 Left\n2 Down\n' >"$WORK/bad.keys"  # a script's fault is named with its line
  said=$("$REPLAY" "$WORK/bad.keys" 2>&1)
  [ "$said" = "replay: $WORK/bad.keys: line 2: unknown key 'Down' (Left, Right, Up, Escape)" ] ||
    fail "a bad script gets '$said'"
  ;;
sound) # SDL's disk driver records the game's own sounds, a replay's frames 60 a second apart: one
  # at every jump (held Up's too), one at the level change, each at its frame, none too loud. With
  # effect files that cannot be loaded, it plays the same, silently.
  # 60 frames a second keeps the sounds apart; where each is due comes from the mixer's own count.
  cd "$GAME_DIR"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/heard.raw" \
    replay "$SOUND_KEYS" --fps 60 --trace "$WORK/trace" --sound-times "$WORK/times"
  mv "$WORK/stdout" "$WORK/played"
  "$SOUND_BURSTS" "$WORK/heard.raw" --peak-below 0.5 --effects "$GAME_DIR" \
    $(moments "$WORK/trace" "$WORK/played" "$WORK/times") >"$WORK/stderr" ||
    fail "the sounds are not the effects due at the jumps and the level change"
  mkdir "$WORK/broken" && cp ./*.tga "$WORK/broken" && cd "$WORK/broken"
  head -c 30 "$GAME_DIR/level.wav" >level.wav  # cut inside its header; jump.wav is missing
  echo "not a sound" >goal.wav
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/broken.raw" replay "$SOUND_KEYS" --trace "$WORK/silent"
  cmp -s "$WORK/played" "$WORK/stdout" && cmp -s "$WORK/trace" "$WORK/silent" ||
    fail "without its sounds the game played otherwise"
  "$SOUND_BURSTS" "$WORK/broken.raw" >"$WORK/stderr" || fail "effects that cannot load were heard"
  ;;
sound_maker) # The build's sound maker: the same bytes every time, the very files the build made;
  # a faulty description stops it, naming the file and the field.
  for run in 1 2; do
    mkdir "$WORK/$run" && "$MAKE_SOUNDS" "$ART_SOUNDS" "$WORK/$run" || fail "make_sounds failed"
  done
  for sound in jump level goal; do
    cmp "$WORK/1/$sound.wav" "$WORK/2/$sound.wav" && cmp "$WORK/1/$sound.wav" "$GAME_DIR/$sound.wav" ||
      fail "$sound.wav differs from one run to the next, or from the build's"
  done
  while IFS='|' read -r file change message; do
    rm -rf "$WORK/bad" && cp -r "$ART_SOUNDS" "$WORK/bad" && sed -i "$change" "$WORK/bad/$file"
    said=$("$MAKE_SOUNDS" "$WORK/bad" "$WORK/1" 2>&1) && fail "make_sounds took $file after $change"
    [ "$said" = "make_sounds: $WORK/bad/$file: $message" ] || fail "after $change it said '$said'"
  done <<'FAULTS'
level.sfx|/^volume/d|field 'volume' is missing
goal.sfx|s/^frequency = .*/frequency = 9000/|field 'frequency' is 9000, not within 20 to 8000
jump.sfx|s/^wave = .*/wave = organ/|field 'wave' is 'organ', not square, triangle, sawtooth, sine or noise
FAULTS
  rm -rf "$WORK/bad" && cp -r "$ART_SOUNDS" "$WORK/bad"
  sed -i 's/^volume = .*/volume = 0.5/' "$WORK/bad/jump.sfx" "$WORK/bad/level.sfx"
  [ "$("$MAKE_SOUNDS" "$WORK/bad" "$WORK/1" 2>&1)" = "make_sounds: the effects' volumes add up \
to more than 1: played together they would clip" ] || fail "effects louder together than full scale"
  ;;
mute) # The real game: a jump is heard; with --mute the sound device is not even opened.
  mkdir "$WORK/game" && cp "$FIXTURE_DIR"/*.tga "$GAME_DIR"/*.wav "$WORK/game"
  for mute in "" --mute; do
    GAME_ARGS=($mute)
    recording="$WORK/sound$mute.raw"
    start_game "$WORK/game" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$recording"
    wait_until_playing
    poll 20 landed || fail "the chicken did not land: ${CHICKEN:-no chicken}"
    xdotool keydown Up
    poll 20 risen "$CHICKEN_TOP" || { xdotool keyup Up; fail "holding Up did not jump"; }
    xdotool keyup Up
    if [ -z "$mute" ]; then
      poll 10 heard "$recording" || fail "the jump was not heard"
    fi
    press_escape
  done
  [ ! -e "$WORK/sound--mute.raw" ] || fail "--mute opened the sound device"
  ;;
no_sound_device) # Where SDL has no sound device, the game plays and ends exactly as it did.
  cd "$GAME_DIR" && SDL_AUDIODRIVER=no_such_driver replay "$PLAYTHROUGH" --trace "$WORK/trace"
  [ "$(cat "$WORK/stdout")" = $'level 2 drawn from frame 121\nthe game ended in frame 245' ] &&
    diff "$GOLDEN/playthrough.trace" "$WORK/trace" >"$WORK/stderr" || fail "it played otherwise"
  start_game "$GAME_DIR" SDL_AUDIODRIVER=no_such_driver
  wait_until_playing
  press_escape
  ;;
fall) # fall SCRIPT ESCAPE_FRAME: down level 2's shaft far below the map, until Escape ends it.
  cd "$GAME_DIR" && replay "$2" --trace "$WORK/trace"
  read -r _ level _ y < <(tail -n 1 "$WORK/trace")
  grep -qx "the game ended in frame $3" "$WORK/stdout" && [ "$level" = 2 ] &&
    awk -v y="$y" 'BEGIN { exit !(y > 1000) }' || fail "it ended in level $level at y $y"
  ;;
valgrind) # Memcheck over start-up, the ten uploads and two hundred frames: any error fails.
  cd "$GAME_DIR" && valgrind --error-exitcode=99 --suppressions="$VALGRIND_SUPPRESSIONS" \
    --num-callers=30 "$REPLAY" "$VALGRIND_KEYS" >"$WORK/stdout" 2>"$WORK/stderr" || fail "status $?"
  grep -qx "the game ended in frame 200" "$WORK/stdout" || fail "$(cat "$WORK/stdout")"
  grep -o 'ERROR SUMMARY: .*' "$WORK/stderr"  # for the reliability notes: what was suppressed
  ;;
no_webgl) # Without WebGL the game's page says so, and hides the canvas.
  chromium --headless --no-sandbox --disable-webgl --user-data-dir="$WORK/profile" --dump-dom \
    "file://$WEB_DIR/eggquest/index.html" >"$WORK/page" 2>/dev/null || fail "chromium failed"
  grep -q '<span id="notice-text">eggquest draws with WebGL' "$WORK/page" &&
    grep -q '<canvas id="canvas" [^>]*hidden' "$WORK/page" || fail "the page is $(cat "$WORK/page")"
  ;;
installed) # What cmake --install makes, its launcher, and the Debian package under Debian's checks.
  root="$WORK/stage/opt/eggquest"
  DESTDIR="$WORK/stage" cmake --install "$BUILD_DIR" --prefix /opt/eggquest >"$WORK/stderr" ||
    fail "cmake --install failed"
  [ "$(ls "$root"/share/games/eggquest/*.tga | wc -l)" = 10 ] &&
    [ "$(ls "$root"/share/games/eggquest/*.wav | wc -l)" = 3 ] && [ "$(identify -format '%m %w,' \
    "$root"/share/icons/hicolor/*/apps/eggquest.png)" = "PNG 128,PNG 256,PNG 32,PNG 64," ] ||
    fail "the ten images, the three sounds or the icons are missing"
  # The launcher's choice of vertical sync and its passing on of options are checked where the
  # README's commands are (tests/commands/run.sh); here the packaged one starts the game.
  "$CPACK" -G DEB -B "$WORK/deb" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/stderr" ||
    fail "cpack failed"
  deb=$(ls "$WORK"/deb/eggquest_*.deb) && dpkg-deb -x "$deb" "$WORK/tree" && usr="$WORK/tree/usr"
  [ -x "$usr/games/eggquest" ] && [ ! -e "$usr/bin" ] && grep -qx 'Exec=eggquest' \
    "$usr"/share/applications/*.desktop || fail "the menu does not start eggquest in /usr/games"
  # Depends comes from dpkg-shlibdeps, plus sdl12-compat for the launcher, libGL, which SDL opens,
  # and SDL_mixer, which the game opens.
  depends=$(dpkg-deb -f "$deb" Depends)
  want="libsdl1.2-compat-shim | libsdl1.2debian (>= 1.2.60), libgl1, libsdl-mixer1.2 (>= 1.2.12), "
  [[ $depends == "$want"*libc6*libstdc++6* ]] ||
    fail "it depends on $depends"
  apt-get install -s "$deb" >"$WORK/stderr" 2>&1 && grep -q '^Inst eggquest ' "$WORK/stderr" ||
    fail "apt would not install the package"
  EGGQUEST="$usr/games/eggquest"  # the packaged launcher and game run here
  start_game "$WORK"
  wait_until_playing
  press_escape
  # Errors and warnings fail, and so does missing hardening, which lintian calls information.
  lintian --fail-on error,warning --display-info "$deb" >"$WORK/stderr" 2>&1 &&
    ! grep -q ': hardening-' "$WORK/stderr" || fail "lintian rejects the package"
  # The menu entry, and the metainfo beside it; the screenshot's address is not fetched.
  desktop-file-validate "$usr"/share/applications/*.desktop >"$WORK/stderr" &&
    appstreamcli validate-tree --no-net "$WORK/tree" >"$WORK/stderr" 2>&1 ||
    fail "the menu entry or the metainfo is not valid"
  ;;
*) fail "no test case '$1'" ;;
esac
echo "$1: ok"
