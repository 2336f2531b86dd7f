#!/usr/bin/env bash
# The installed game: the tree under a DESTDIR, the launcher started from another folder with
# its vertical-sync request, and the Debian package: contents, dependencies, lintian, and the
# software-centre metadata.
. "$(dirname "$0")/lib.sh"

stage="$WORK/stage"
prefix=/opt/eggquest
DESTDIR="$stage" cmake --install "$BUILD_DIR" --prefix "$prefix" >"$WORK/install.log" ||
  fail "cmake --install failed: $(tail -n 3 "$WORK/install.log")"
root="$stage$prefix"

[ -x "$root/bin/eggquest" ] || fail "no launcher in bin/"
[ -x "$root/libexec/eggquest/eggquest" ] || fail "no game binary in libexec/eggquest/"
images=$(ls "$root/share/games/eggquest" | grep -c '\.tga$')
[ "$images" -eq 10 ] || fail "$images images in share/games/eggquest, not 10"
desktop=$(ls "$root"/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=eggquest' "$desktop" && grep -qx 'Categories=Game;ArcadeGame;' "$desktop" ||
  fail "the desktop entry does not start eggquest as an arcade game"
for size in 32 64 128 256; do
  icon="$root/share/icons/hicolor/${size}x${size}/apps/eggquest.png"
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
    fail "no ${size}x${size} PNG icon"
done

# vsync_of_game: the vertical-sync request in the running game's environment, or "unset".
vsync_of_game() {
  tr '\0' '\n' <"/proc/$GAME_PID/environ" | sed -n 's/^SDL12COMPAT_SYNC_TO_VBLANK=//p' | grep . ||
    echo unset
}

# From a folder without images, as a player would start it from the menu or a terminal: the
# launcher asks for vertical sync, and a player's own choice stands.
mkdir "$WORK/elsewhere"
EGGQUEST="$root/bin/eggquest"
for player in unset 0; do
  if [ "$player" = unset ]; then
    start_game "$WORK/elsewhere" -u SDL12COMPAT_SYNC_TO_VBLANK
    expected=1
  else
    start_game "$WORK/elsewhere" SDL12COMPAT_SYNC_TO_VBLANK="$player"
    expected=$player
  fi
  wait_until_playing
  vsync=$(vsync_of_game)
  [ "$vsync" = "$expected" ] ||
    fail "with the player's SDL12COMPAT_SYNC_TO_VBLANK $player the game got $vsync, not $expected"
  press_escape
  wait_for_end 10
  [ "$GAME_STATUS" -eq 1 ] || fail "the launcher passed on status $GAME_STATUS, not the game's 1"
  expect_silence
done

# The Debian package: the same tree under /usr with the launcher in /usr/games, installable
# with what this release has, and accepted by lintian and the software-centre validators.
"$CPACK" -G DEB -B "$WORK/deb" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" ||
  fail "cpack failed: $(tail -n 3 "$WORK/cpack.log")"
deb=$(ls "$WORK"/deb/eggquest_*.deb)
dpkg-deb -x "$deb" "$WORK/unpacked"
packaged="$WORK/unpacked/usr"
[ -x "$packaged/games/eggquest" ] && [ ! -e "$packaged/bin" ] ||
  fail "the package's launcher is not in /usr/games alone"
[ -f "$packaged/share/games/eggquest/character.tga" ] || fail "the package has no images"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libsdl1.2-compat-shim libgl1 libglu1-mesa; do
  [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
apt-get install -s "$deb" >"$WORK/apt.log" 2>&1 || fail "apt cannot install the package: $(tail -n 3 "$WORK/apt.log")"
grep -q '^Inst eggquest ' "$WORK/apt.log" || fail "apt would not install eggquest: $(tail -n 3 "$WORK/apt.log")"

command -v lintian >/dev/null && command -v appstreamcli >/dev/null ||
  fail "lintian and appstreamcli are needed (scripts/test installs them)"
# Errors and warnings fail; informational tags are shown. The package has no overrides.
lintian --fail-on error,warning --display-info "$deb" >"$WORK/lintian.log" 2>&1 ||
  fail "lintian rejects the package: $(grep -v '^running with root' "$WORK/lintian.log")"
grep '^I: ' "$WORK/lintian.log"
# Lintian reports missing hardening as information only, yet the package promises it.
! grep ': hardening-' "$WORK/lintian.log" || fail "the game lacks some of Debian's hardening"
desktop-file-validate "$packaged"/share/applications/*.desktop ||
  fail "the package's desktop entry is not valid"
# The tree as a whole: the metainfo file, and a desktop entry of the same id beside it. No
# network: the screenshot's address is not fetched.
appstreamcli validate-tree --no-net "$WORK/unpacked" >"$WORK/appstream.log" 2>&1 ||
  fail "appstreamcli rejects the package: $(cat "$WORK/appstream.log")"
echo "installed game: ok"
