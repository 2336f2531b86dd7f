#!/usr/bin/env bash
# The installed game: the tree under a DESTDIR, the launcher started from another folder, and
# the Debian package's contents and dependencies.
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
desktop="$root/share/applications/eggquest.desktop"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=eggquest' "$desktop" && grep -qx 'Categories=Game;ArcadeGame;' "$desktop" ||
  fail "the desktop entry does not start eggquest as an arcade game"
for size in 32 64 128 256; do
  icon="$root/share/icons/hicolor/${size}x${size}/apps/eggquest.png"
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
    fail "no ${size}x${size} PNG icon"
done

# From a folder without images, as a player would start it from the menu or a terminal.
mkdir "$WORK/elsewhere"
EGGQUEST="$root/bin/eggquest"
start_game "$WORK/elsewhere"
wait_until_playing
press_escape
wait_for_end 10
[ "$GAME_STATUS" -eq 1 ] || fail "the launcher passed on status $GAME_STATUS, not the game's 1"
expect_silence

# The Debian package: the same tree under /usr, installable with what Debian 12 has.
"$CPACK" -G DEB -B "$WORK/deb" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" ||
  fail "cpack failed: $(tail -n 3 "$WORK/cpack.log")"
deb=$(ls "$WORK"/deb/eggquest_*.deb)
dpkg-deb -c "$deb" | grep -q ' ./usr/bin/eggquest$' || fail "the package has no /usr/bin/eggquest"
dpkg-deb -c "$deb" | grep -q ' ./usr/share/games/eggquest/character.tga$' ||
  fail "the package has no images"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libsdl1.2-compat-shim libgl1 libglu1-mesa; do
  [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
apt-get install -s "$deb" >"$WORK/apt.log" 2>&1 || fail "apt cannot install the package: $(tail -n 3 "$WORK/apt.log")"
grep -q '^Inst eggquest ' "$WORK/apt.log" || fail "apt would not install eggquest: $(tail -n 3 "$WORK/apt.log")"
echo "installed game: ok"
