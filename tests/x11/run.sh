#!/usr/bin/env bash
# The real game, its replay tool, page and package in an X server: run.sh CASE [ARGS...]. Screens
# are compared with tests/golden/ by ImageMagick; the fixture pictures differ top to bottom and
# left to right, so one drawn turned, mirrored or skewed shows.
. "$(dirname "$0")/../lib.sh"
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (scripts/test provides one)"; exit 77; }
# As a desktop session has it: a private runtime folder (without one, SDL 3's look for a Wayland
# compositor makes the Wayland library complain on standard error). The game goes to the X server.
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

# The sanitizer run preloads a library that keeps what SDL loads at run time loaded to the end.
without_fake_hardware() { PRELOAD=(env ${GAME_PRELOAD:+"LD_PRELOAD=$GAME_PRELOAD"}); }
without_fake_hardware
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
  poll 20 window_up || fail "the game's window did not appear ($(xdotool search --name \
    '^OpenGL Demo' 2>/dev/null | wc -l) windows of the game's name, none visible of its process)"
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
# chicken_on "LEFT RIGHT": the fixture chicken's magenta half covers exactly these columns.
# chicken_box: the fixture chicken's magenta half as WIDTHxHEIGHT+LEFT+TOP, in CHICKEN.
chicken_box() {
  import -window "$WINDOW" "$WORK/shot.ppm" || fail "no screenshot"
  CHICKEN=$(convert "$WORK/shot.ppm" -fuzz 15% -fill black +opaque magenta -format '%@' info:)
  [[ $CHICKEN =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+([0-9]+)$ ]]
}
chicken_on() {
  chicken_box && [ "${BASH_REMATCH[2]} $((BASH_REMATCH[2] + BASH_REMATCH[1] - 1))" = "$1" ]
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
# SDL's disk driver records in the format the sound device took, which differs from one SDL to the
# next; in all of them silence is zero bytes. heard RECORDING: some sound was recorded.
heard() { [ "$(cmp -l "$1" /dev/zero 2>/dev/null | head -n 1)" ]; }
# sounds_at RECORDING TIMES FRAME:SECONDS...: one sound (non-zero bytes, over 8000 zero bytes apart)
# for each FRAME, beginning where the replay had mixed that frame (TIMES, its --sound-times) and
# lasting SECONDS, its effect's length. The first and last sounds give the bytes a second.
sounds_at() {
  cmp -l "$1" /dev/zero 2>/dev/null | awk -v due="${*:3}" '
    FILENAME == ARGV[1] { mixed[$1] = $2; next }
    n == 0 || $1 > last + 8000 { start[++n] = $1 }
    { last = end[n] = $1 }
    END { count = split(due, d)
          if (n != count) { print n " sounds, not " count; exit 1 }
          for (i = 1; i <= n; i++) { split(d[i], f, ":"); at[i] = mixed[f[1]]; long[i] = f[2] }
          rate = (start[n] - start[1]) / (at[n] - at[1])
          for (i = 1; i <= n; i++) {
            seconds = (end[i] - start[i]) / rate; after = (start[i] - start[1]) / rate
            if ((after - at[i] + at[1])^2 > 0.06^2 || (seconds - long[i])^2 > 0.02^2) bad = 1
            print "sound " i ": " seconds " s, at " after " s; due " long[i] " s, at " at[i] - at[1] }
          exit bad }' "$2" -
}
# replay SCRIPT [ARGS...]: the replay tool in the current folder; the game must end cleanly.
replay() {
  "${PRELOAD[@]}" "$REPLAY" "$@" >"$WORK/stdout" 2>"$WORK/stderr" || fail "the replay ended with $?"
  [ ! -s "$WORK/stderr" ] || fail "the replay wrote to standard error"
}

# drop_level FILE: one level whose egg lies where the chicken lands from its start: the game ends
# by itself.
drop_level() {
  local sky=22222222222222222222 row
  for row in $(seq 0 19); do [ "$row" = 17 ] && echo "${sky:0:10}9${sky:11}" || echo $sky; done >"$1"
}

# The fake display and pad (tests/support/fake_hardware.c) in the games started after this.
with_fake_hardware() {
  PRELOAD=(env "LD_PRELOAD=$FAKE_HARDWARE${GAME_PRELOAD:+:$GAME_PRELOAD}" FAKE_SWAP_LOG="$WORK/swaps"
           FAKE_PAD="$WORK/pad" SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS=1 "$@")
}
swaps() { wc -l 2>/dev/null <"$WORK/swaps" || echo 0; }
# wait_frames N: until the game has swapped N more frames.
wait_frames() {
  local until=$(($(swaps) + $1))
  poll 30 eval '[ "$(swaps)" -ge '"$until"' ]' || fail "the game stopped swapping frames"
}
# pad STATE: what the fake pad holds from the game's next frame on (see fake_hardware.c).
pad() { echo "$*" >"$WORK/pad.new" && mv "$WORK/pad.new" "$WORK/pad"; }
# frame_rate FIRST LAST: frames a second between the game's swaps FIRST and LAST.
frame_rate() {
  awk -v first="$1" -v last="$2" 'NR == first { t = $1 } NR == last {
    printf "%.2f", (last - first) / (($1 - t) / 1e9) }' "$WORK/swaps"
}
# median_rate FPS: the game swapped FPS frames a second, within one, in the median of five
# windows of a second after the first second of the swap log (in RATE, the five in RATES). A
# measurement of time: a stall on a busy machine costs one window frames that the loop rightly
# never makes up, and a wrong pace is wrong in all of them.
median_rate() {
  RATES=$(awk -v fps="$1" 'NR % fps == 0 {
      if (NR > fps) printf "%.2f\n", fps / (($1 - t) / 1e9); t = $1 }
    NR == 6 * fps { exit }' "$WORK/swaps" | sort -n | tr '\n' ' ')
  read -r _ _ RATE _ <<<"$RATES"
  awk -v rate="$RATE" -v fps="$1" 'BEGIN { exit !(rate >= fps - 1 && rate <= fps + 1) }'
}
# own_x_server SIZE WHAT [PREFIX...]: an X server of the case's own, started through PREFIX, in
# DISPLAY. No reset when the last client leaves: a game connecting just then would find no display.
own_x_server() {
  local size=$1 what=$2
  shift 2
  "$@" Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
  ENDED_AT_EXIT+=($!)
  poll 10 test -s "$WORK/display" || fail "no X server for $what"
  export DISPLAY=:$(cat "$WORK/display")
}
# above ROW: the chicken's magenta half begins above ROW (its top, in CHICKEN_TOP).
above() { chicken_box && CHICKEN_TOP=${BASH_REMATCH[3]} && [ "$CHICKEN_TOP" -lt "$1" ]; }

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
  played_through "$WORK/trace"
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
sound) # SDL's disk driver records a replay, 60 frames a second: the jump's sound at every jump
  # (held Up's too), the level's at the level change. Effects that cannot load: the same, silent.
  cd "$GAME_DIR"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/heard.raw" \
    replay "$SOUND_KEYS" --fps 60 --trace "$WORK/trace" --sound-times "$WORK/times"
  mv "$WORK/stdout" "$WORK/played"
  # The frames of the jumps (0.12 s each) and of the level change (0.44 s) in the replay's trace.
  sounds_at "$WORK/heard.raw" "$WORK/times" 30:.12 82:.12 135:.12 258:.12 282:.12 320:.44 398:.12 \
    >"$WORK/stderr" || fail "the sounds are not the effects due at the jumps and the level change"
  mkdir "$WORK/broken" && cp ./*.tga "$WORK/broken" && cd "$WORK/broken"
  read -r missing cut not_wav <<<"$SOUND_NAMES"
  head -c 30 "$GAME_DIR/$cut.wav" >"$cut.wav"  # cut inside its header
  echo "not a sound" >"$not_wav.wav"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/broken.raw" replay "$SOUND_KEYS" --trace "$WORK/silent"
  cmp -s "$WORK/played" "$WORK/stdout" && cmp -s "$WORK/trace" "$WORK/silent" ||
    fail "without its sounds the game played otherwise"
  [ -e "$WORK/broken.raw" ] && ! heard "$WORK/broken.raw" || fail "effects that cannot load sounded"
  ;;
sound_maker) # The build's sound maker: the same bytes every time, the very files the build made;
  # a faulty description stops it, naming the file and the field, and so do effects that would clip.
  for run in 1 2; do
    mkdir "$WORK/$run" && "$MAKE_SOUNDS" "$ART_SOUNDS" "$WORK/$run" || fail "make_sounds failed"
  done
  for sound in $SOUND_NAMES; do
    cmp "$WORK/1/$sound.wav" "$WORK/2/$sound.wav" && cmp "$WORK/1/$sound.wav" "$GAME_DIR/$sound.wav" ||
      fail "$sound.wav differs from one run to the next, or from the build's"
  done
  read -r first second _ <<<"$SOUND_NAMES"
  cp -r "$ART_SOUNDS" "$WORK/bad" && sed -i '/^volume/d' "$WORK/bad/$second.sfx"
  said=$("$MAKE_SOUNDS" "$WORK/bad" "$WORK/1" 2>&1) && fail "make_sounds took $second.sfx, no volume"
  [ "$said" = "make_sounds: $WORK/bad/$second.sfx: field 'volume' is missing" ] ||
    fail "it said '$said'"
  cp "$ART_SOUNDS/$second.sfx" "$WORK/bad" &&
    sed -i 's/^volume = .*/volume = 0.5/' "$WORK/bad/$first.sfx" "$WORK/bad/$second.sfx"
  [ "$("$MAKE_SOUNDS" "$WORK/bad" "$WORK/1" 2>&1)" = "make_sounds: the effects' volumes add up \
to more than 1: played together they would clip" ] || fail "effects louder together than full scale"
  ;;
mute) # The real game: held Up's jump is heard; with --mute the sound device is not even opened.
  start_game "$GAME_DIR" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/heard.raw"
  wait_until_playing
  xdotool keydown Up
  poll 20 heard "$WORK/heard.raw" || { xdotool keyup Up; fail "holding Up, no jump was heard"; }
  xdotool keyup Up
  press_escape
  GAME_ARGS=(--mute)
  start_game "$GAME_DIR" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/muted.raw"
  wait_until_playing
  press_escape
  [ ! -e "$WORK/muted.raw" ] || fail "--mute opened the sound device"
  ;;
no_sound_device) # Where SDL has no sound device, the game plays and ends exactly as it did; where
  # a driver starts but its device does not open, no thread of SDL's sound is left running.
  cd "$GAME_DIR" && SDL_AUDIODRIVER=no_such_driver replay "$PLAYTHROUGH" --trace "$WORK/trace"
  played_through "$WORK/trace"
  start_game "$GAME_DIR" SDL_AUDIODRIVER=no_such_driver
  wait_until_playing
  press_escape
  start_game "$GAME_DIR" SDL_AUDIODRIVER=alsa AUDIODEV=eggquest_has_no_such_device
  wait_until_playing
  threads=$(cat /proc/"$GAME_PID"/task/*/comm)
  ! grep -q '^SDL' <<<"$threads" || fail "the game keeps SDL's sound threads:" $threads
  press_escape
  ;;
pace) # 60 game frames a second whatever the display's refresh rate; at 60 Hz one every refresh;
  # the game itself and through the installed launcher alike. Without images (plain white
  # squares), which software OpenGL fills in a few milliseconds: with them a frame takes it up to
  # 15, too close to two refreshes at 144 Hz to measure the loop rather than the rasterizer.
  cmake --install "$BUILD_DIR" --prefix "$WORK/local" >"$WORK/stderr" || fail "cmake --install failed"
  rm "$WORK"/local/share/games/eggquest/*.tga
  # A frame rate is a measurement of time, which a busy machine's other processes take their
  # share of: the game, and the X server each frame is sent to, run at real-time priority where
  # the system grants it (as root).
  realtime=()
  ! chrt -f 10 true 2>/dev/null || realtime=(chrt -f 10)
  own_x_server 1024x768 "the game's frames" "${realtime[@]}"
  for run in "144 $EGGQUEST" "120 $EGGQUEST" "60 $EGGQUEST" "0 $EGGQUEST" \
    "144 $WORK/local/bin/eggquest"; do
    read -r hz EGGQUEST <<<"$run"
    with_fake_hardware FAKE_REFRESH_HZ="$hz"
    PRELOAD=("${realtime[@]}" "${PRELOAD[@]}")
    start_game "$WORK"
    wait_until_playing
    wait_frames 360
    press_escape
    median_rate 60 || fail "$EGGQUEST at $hz Hz: $RATE frames a second, the median of $RATES"
    echo "$hz Hz, $EGGQUEST: $RATE frames a second, the median of $RATES"
  done
  ;;
gamepad) # A pad walks, jumps and ends the game as the keys do, merged with the keyboard; one
  # unplugged while held lets go; a stick resting off centre does nothing; one plugged in late
  # plays within two seconds; a joystick SDL has no layout for is left alone.
  with_fake_hardware
  pad plugged
  start_game "$FIXTURE_DIR"
  wait_until_playing
  pad plugged right
  poll 20 chicken_on "760 799" || fail "D-pad right left the chicken at $CHICKEN"
  pad plugged x=-32768
  poll 20 chicken_on "0 39" || fail "the stick left left the chicken at $CHICKEN"
  pad plugged x=9830 y=-9830  # 30 %, as a worn stick may rest
  wait_frames 120
  chicken_on "0 39" || fail "the stick at 30 % moved the chicken to $CHICKEN"
  # The keyboard holds Right on while the pad lets go of it, and the pad Left while the keys do.
  pad plugged right && xdotool keydown Right
  poll 20 eval '! chicken_on "0 39"' || fail "the chicken did not walk"
  pad plugged
  poll 20 chicken_on "760 799" || { xdotool keyup Right; fail "letting go of the pad stopped the keyboard's Right"; }
  xdotool keyup Right
  pad plugged left && xdotool keydown Left && poll 20 eval '! chicken_on "760 799"' &&
    xdotool keyup Left || fail "the chicken did not walk back"
  poll 20 chicken_on "0 39" || fail "letting go of Left stopped the pad's left at $CHICKEN"
  for button in a up; do  # each from rest: the chicken's top rises by over two tiles
    pad plugged && wait_frames 90 && above 9999 && resting=$CHICKEN_TOP
    pad plugged "$button"
    poll 20 above $((resting - 60)) || fail "$button did not jump: the chicken stayed at $CHICKEN"
  done
  # Unplugged while walking right: the chicken stops where it is.
  pad plugged right
  poll 20 eval '! chicken_on "0 39"' || fail "the chicken did not walk"
  pad unplugged
  wait_frames 10 && chicken_box && stopped=${BASH_REMATCH[2]}
  wait_frames 60 && chicken_box && [ "${BASH_REMATCH[2]}" = "$stopped" ] && ! chicken_on "760 799" ||
    fail "the unplugged pad still walks the chicken, from column $stopped to $CHICKEN"
  pad plugged back
  poll 10 game_ended || fail "Back did not end the game"
  quiet_end
  # Plugged in late, and a joystick without a layout first.
  pad raw right
  start_game "$FIXTURE_DIR"
  wait_until_playing
  wait_frames 150
  chicken_on "400 439" || fail "a joystick without a layout moved the chicken to $CHICKEN"
  pad unplugged && wait_frames 10 && pad plugged right
  plugged=$(date +%s%N)
  poll 5 eval '! chicken_on "400 439"' || fail "a pad plugged in late did not play"
  took=$((($(date +%s%N) - plugged) / 1000000))
  [ "$took" -le 2000 ] || fail "a pad plugged in late played only after $took ms"
  echo "a pad plugged in late played after $took ms"
  press_escape
  ;;
fullscreen) # F11 and Alt+Enter switch to filling the screen and back, and --fullscreen starts so:
  # the picture at 4:3 between black bars, which scaled back is the windowed picture. On a wide
  # screen of the case's own, with a window manager: a bare X server grants no fullscreen.
  own_x_server 1280x800 "the wide screen"
  # Ready once it runs its start-up command: a window mapped earlier may be left unmanaged.
  openbox --sm-disable --startup "touch $WORK/managing" >/dev/null 2>&1 &
  ENDED_AT_EXIT+=($!)
  poll 10 test -e "$WORK/managing" || fail "no window manager"
  size() { xwininfo -id "$WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }'; }
  # fills_screen: the picture is 4:3 across the screen's height, centred between black bars, and
  # looks like the windowed one once scaled back.
  fills_screen() {
    import -window root "$WORK/screen.png"
    local box
    box=$(convert "$WORK/screen.png" -fuzz 5% -format '%@' info:)
    [[ $box =~ ^(106[678])x800\+(10[6-8])\+0$ ]] || { echo "the picture is at $box"; return 1; }
    convert "$WORK/screen.png" -crop "$box" -resize '800x600!' "$WORK/scaled.png"
    local differing
    differing=$(compare -metric AE -fuzz 10% "$WORK/scaled.png" "$WORK/windowed.png" null: 2>&1)
    # ImageMagick 7 counts a pixel that differs a little as a part of one: "21.39 (4.5e-05)".
    awk -v n="${differing%% *}" 'BEGIN { exit !(n < 2000) }' || { echo "$differing pixels differ"; return 1; }
  }
  with_fake_hardware
  start_game "$FIXTURE_DIR"
  wait_until_playing
  wait_frames 60  # the chicken has landed
  [ "$(size)" = 800x600 ] || fail "the window is $(size)"
  import -window "$WINDOW" "$WORK/windowed.png"
  for keys in F11 alt+Return; do  # each switches to fullscreen and back
    xdotool key "$keys"
    poll 10 eval '[ "$(size)" = 1280x800 ]' || fail "$keys: the window is $(size), not the screen"
    wait_frames 10 && fills_screen >"$WORK/stderr" || fail "$keys: $(cat "$WORK/stderr")"
    xdotool key "$keys"
    poll 10 eval '[ "$(size)" = 800x600 ]' || fail "$keys again: the window is $(size)"
  done
  press_escape
  GAME_ARGS=(--fullscreen)
  start_game "$FIXTURE_DIR"
  wait_until_playing
  wait_frames 60
  [ "$(size)" = 1280x800 ] && fills_screen >"$WORK/stderr" || fail "--fullscreen: $(cat "$WORK/stderr")"
  press_escape
  ;;
options) # --help lists the options and an unknown one is refused, both before any window opens.
  help=$(env -u DISPLAY "$EGGQUEST" --help 2>&1) || fail "--help ended with $?"
  for option in --levels --fullscreen --mute --no-frame-limit --help; do
    grep -q -- "^  $option " <<<"$help" || fail "--help does not list $option: $help"
  done
  said=$(env -u DISPLAY "$EGGQUEST" --mute --fulscreen 2>&1)
  status=$?
  [ "$status" = 64 ] && [ "$said" = "eggquest: unknown option '--fulscreen' (eggquest --help lists \
the options)" ] || fail "an unknown option ended with $status, saying '$said'"
  ;;
levels) # A level file is refused before any window, naming the file, line and column; a good one
  # is played: by the game, which ends by itself where the chicken lands on an egg, and by the
  # replay tool, through the shipped set's three levels at their recorded positions, and through
  # the game's own two written as a file.
  drop_level "$WORK/drop.txt"
  sed '3s/^22/2x/' "$WORK/drop.txt" >"$WORK/typo.txt"
  head -c 70000 /dev/zero | tr '\0' 2 >"$WORK/huge.txt"
  for refused in "typo.txt:3:2: expected a tile code 0-9, found 'x'" "missing.txt: No such file \
or directory" ".: is a folder, not a level file" "huge.txt: is larger than 64 KB, more than any \
set of 20 levels needs"; do
    said=$(cd "$WORK" && env -u DISPLAY "$EGGQUEST" --levels "${refused%%:*}" 2>&1)
    status=$?
    [ "$status" = 65 ] && [ "$said" = "eggquest: $refused" ] ||
      fail "a bad level file ended the game with $status, saying '$said'"
  done
  GAME_ARGS=(--mute --levels "$WORK/drop.txt")
  start_game "$GAME_DIR"
  ended 1
  cd "$GAME_DIR" && replay "$LEVEL_KEYS" --levels "$LEVELS/uphill-downhill.txt" --trace "$WORK/trace"
  printf 'level %s drawn from frame %s\n' 2 128 3 342 >"$WORK/expected"
  echo "the game ended in frame 554" >>"$WORK/expected"
  diff "$WORK/expected" "$WORK/stdout" >/dev/null || fail "the levels came at other frames: \
$(cat "$WORK/stdout")"
  diff "$GOLDEN/uphill-downhill.trace" "$WORK/trace" >"$WORK/stderr" || fail "the positions differ"
  # The game's own levels as the build writes them play exactly as the built-in ones.
  replay "$PLAYTHROUGH" --levels "$GAME_DIR/levels/built-in.txt" --trace "$WORK/trace"
  played_through "$WORK/trace"
  ;;
trial) # Time trials of the real game, played frame for frame by the tests' keyboard: the
  # playthrough's time and its best kept, replayed by the replay tool to the same frame; a slower
  # run that keeps it; Escape that keeps nothing; the next trial's ghost where the chickens part;
  # garbage in the bests' folder set aside; a run link raced, and a damaged one not.
  export XDG_DATA_HOME="$WORK/data"
  # finished STATUS OUTPUT: the game ends with STATUS, writing OUTPUT and nothing on standard error.
  finished() {
    poll 30 game_ended || fail "the game did not end"
    wait "$GAME_PID"
    local status=$?
    GAME_PID=""
    [ "$status" = "$1" ] && [ "$(cat "$WORK/stdout")" = "$2" ] ||
      fail "the game ended with $status, writing '$(cat "$WORK/stdout")', not '$2'"
    [ ! -s "$WORK/stderr" ] || fail "the game wrote to standard error"
  }
  # trial KEYS [ARGS...]: a time trial in the fixture pictures' folder, its keys from KEYS.
  trial() {
    with_fake_hardware FAKE_KEYS="$1" FAKE_REFRESH_HZ=120
    GAME_ARGS=(--time-trial --mute "${@:2}")
    start_game "$FIXTURE_DIR"
  }
  trial "$PLAYTHROUGH"
  finished 1 "time 4.10 s (246 frames), a personal best"
  best=$(ls "$XDG_DATA_HOME"/eggquest/best-*.keys) || fail "no best was kept"
  cp "$best" "$WORK/best.keys"
  cd "$GAME_DIR" && replay "$best" --trace "$WORK/trace"
  played_through "$WORK/trace"
  awk '/^[0-9]/ { split($1, f, "-"); $1 = f[1] + 30 (f[2] != "" ? "-" f[2] + 30 : "") } 1' \
    "$PLAYTHROUGH" >"$WORK/slower.keys"
  trial "$WORK/slower.keys"
  finished 1 "time 4.60 s (276 frames)"
  cmp -s "$best" "$WORK/best.keys" || fail "a slower run replaced the best"
  echo "30 Escape" >"$WORK/escape.keys"
  trial "$WORK/escape.keys"
  finished 1 ""
  cmp -s "$best" "$WORK/best.keys" || fail "Escape kept a run"
  # The player stays where it lands; the ghost runs the best. Above the ground and below the
  # timer, nothing else moves: the ghost is the difference between a trial with a best and one
  # without.
  echo "600 Escape" >"$WORK/idle.keys"
  above_ground() {
    trial "$WORK/idle.keys"
    wait_until_playing
    wait_frames 100
    import -window "$WINDOW" -crop 800x380+0+60 +repage "$WORK/$1.png"
    press_escape
  }
  above_ground ghost
  XDG_DATA_HOME="$WORK/empty" above_ground alone
  parted=$(compare -metric AE -fuzz 3% "$WORK/ghost.png" "$WORK/alone.png" null: 2>&1)
  awk -v n="${parted%% *}" 'BEGIN { exit !(n >= 100) }' ||
    fail "with a best, $parted pixels differ from a trial without one"
  # Garbage where the best was: set aside with a message, and the next finished run kept.
  echo "garbage" >"$best"
  trial "$PLAYTHROUGH"
  poll 30 game_ended || fail "the game did not end"
  wait "$GAME_PID"; GAME_PID=""
  [ "$(cat "$WORK/stderr")" = "eggquest: $best: is not a best run: no line says which levels it \
is for; set aside as $best.set-aside" ] && [ "$(cat "$best.set-aside")" = garbage ] &&
    cmp -s "$best" "$WORK/best.keys" || fail "garbage was not set aside: $(cat "$WORK/stderr")"
  # A run link, as the page shares it, raced: its ghost shown, the run's time taken anew.
  rm -r "$XDG_DATA_HOME"
  link=$(cd "$GAME_DIR" && "$REPLAY" "$PLAYTHROUGH" --mute --run-link | tail -n 1)
  [[ $link == "#levels="*"&run="* ]] || fail "the replay tool gave no run link: $link"
  with_fake_hardware FAKE_KEYS="$WORK/slower.keys" FAKE_REFRESH_HZ=120
  GAME_ARGS=(--mute --link "https://example.org/games/eggquest/index.html$link")
  start_game "$FIXTURE_DIR"
  finished 1 "time 4.60 s (276 frames), a personal best"
  GAME_ARGS=(--mute --time-trial --link "https://example.org/${link%?????}")  # cut short
  start_game "$FIXTURE_DIR"
  poll 30 game_ended && wait "$GAME_PID"; GAME_PID=""
  [ "$(cat "$WORK/stdout")" = "time 4.60 s (276 frames)" ] && grep -q "^eggquest: the link's \
run cannot be raced: the run link is damaged or incomplete: its check does not match its keys; \
the levels are played without it$" "$WORK/stderr" || fail "a damaged run link: $(cat "$WORK/stderr")"
  ;;
settings) # The player's settings file: W, A and D walk and jump, the arrows still do where the
  # file keeps them and not where it does not; at --speed 50 on a 60 Hz display the game steps 30
  # frames a second, each as at full speed; a bad line is named and the game plays on.
  export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
  mkdir -p "$XDG_CONFIG_HOME/eggquest"
  printf '# WASD, and the arrows for walking left\nleft = a, Left\nright = d\njump = w\n' \
    >"$XDG_CONFIG_HOME/eggquest/settings.txt"
  said=$("$EGGQUEST" --settings 2>&1) && grep -qx 'left = a, Left .*settings.txt:2)' <<<"$said" &&
    grep -qx 'speed = 100 .*(default)' <<<"$said" || fail "--settings says: $said"
  with_fake_hardware
  start_game "$FIXTURE_DIR"
  wait_until_playing
  walk a "0 39"
  xdotool keydown Right
  wait_frames 60
  chicken_on "0 39" || { xdotool keyup Right; fail "Right, unbound, walked to $CHICKEN"; }
  xdotool keyup Right
  walk d "760 799"
  walk Left "0 39"
  chicken_box && resting=${BASH_REMATCH[3]}
  xdotool keydown w
  poll 20 above $((resting - 60)) || { xdotool keyup w; fail "w did not jump"; }
  xdotool keyup w
  press_escape
  # Half speed on a 60 Hz display: 30 frames a second, and the playthrough to its egg in the same
  # frames, its best kept apart for the speed and replayed to every recorded position.
  # A measurement of time: real-time priority as in the pace case.
  realtime=()
  ! chrt -f 10 true 2>/dev/null || realtime=(chrt -f 10)
  own_x_server 1024x768 "the half-speed game" "${realtime[@]}"
  with_fake_hardware FAKE_REFRESH_HZ=60 FAKE_KEYS="$PLAYTHROUGH"
  PRELOAD=("${realtime[@]}" "${PRELOAD[@]}")
  rm "$XDG_CONFIG_HOME/eggquest/settings.txt"
  GAME_ARGS=(--mute --time-trial --speed 50)
  start_game "$FIXTURE_DIR"
  poll 30 game_ended || fail "the game did not end"
  wait "$GAME_PID"; GAME_PID=""
  [ "$(cat "$WORK/stdout")" = "time 4.10 s (246 frames) at 50 %, a personal best" ] ||
    fail "at half speed: $(cat "$WORK/stdout")"
  median_rate 30 || fail "at half speed, $RATE frames a second, the median of $RATES"
  echo "half speed: $RATE frames a second, the median of $RATES"
  best=$(ls "$XDG_DATA_HOME"/eggquest/best-*-50.keys) || fail "no best kept for half speed"
  cd "$GAME_DIR" && replay "$best" --trace "$WORK/trace"
  played_through "$WORK/trace"
  # A bad line: named with its place, and the game plays on with the rest.
  printf 'jump = w, Zap\nspeed = 60\n' >"$XDG_CONFIG_HOME/eggquest/settings.txt"
  without_fake_hardware
  GAME_ARGS=()
  start_game "$FIXTURE_DIR"
  wait_until_playing
  xdotool keydown Escape && poll 10 game_ended; xdotool keyup Escape
  wait "$GAME_PID"; GAME_PID=""
  settings="$XDG_CONFIG_HOME/eggquest/settings.txt"
  [ "$(cat "$WORK/stderr")" = "eggquest: $settings:1:11: unknown key 'Zap' (SDL's key names: a, \
1, space, left, escape...); jump keeps its keys
eggquest: $settings:2:9: speed is 50, 75 or 100, not '60'; the game plays at 100" ] ||
    fail "a bad file: $(cat "$WORK/stderr")"
  said=$("$EGGQUEST" --speed 60 2>&1)
  [ $? = 64 ] && [ "$said" = "eggquest: --speed is 50, 75 or 100, not '60' (eggquest --help lists \
the options)" ] || fail "--speed 60: $said"
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
  # The game's folder holds its images and sounds, each a file of its kind, and the levels to try.
  data="$root/share/games/eggquest"
  [ "$(cd "$data" && ls | LC_ALL=C sort)" = "$( (printf '%s.tga\n' $IMAGE_NAMES
    printf '%s.wav\n' $SOUND_NAMES; echo levels) | LC_ALL=C sort)" ] &&
    [ "$(ls "$data/levels" | tr '\n' ' ')" = "built-in.txt uphill-downhill.txt " ] &&
    cmp -s "$data/levels/uphill-downhill.txt" "$LEVELS/uphill-downhill.txt" &&
    cmp -s "$data/levels/built-in.txt" "$GAME_DIR/levels/built-in.txt" ||
    fail "$data holds $(ls "$data" | tr '\n' ' '), not the images and sounds of $IMAGE_NAMES, $SOUND_NAMES"
  [ "$(identify -format '%m ' "$data"/*.tga)" = "$(printf 'TGA %.0s' $IMAGE_NAMES)" ] ||
    fail "the images are not all TGA files"
  for sound in "$data"/*.wav; do
    [ "$(head -c 4 "$sound")$(tail -c +9 "$sound" | head -c 4)" = RIFFWAVE ] || fail "$sound is no WAV"
  done
  [ "$(identify -format '%m %w,' "$root"/share/icons/hicolor/*/apps/eggquest.png)" = \
    "PNG 128,PNG 256,PNG 32,PNG 64," ] || fail "the icons are missing"
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
  # A level file named from the player's folder, though the launcher changes to the game's own.
  drop_level "$WORK/drop.txt"
  GAME_ARGS=(--mute --levels drop.txt)
  start_game "$WORK"
  ended 1
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
