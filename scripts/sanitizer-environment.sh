# The environment of the sanitizer run, sourced by scripts/test; its suppressions are in
# tests/sanitizers/.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/sanitizers" && pwd)

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:verify_asan_link_order=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0

# SDL opens X's libraries and the OpenGL driver at run time and closes them at SDL_Quit().
# Whatever they still held then looks leaked, from a library LeakSanitizer can no longer name.
# Loaded up front, they stay until the end and their memory stays reachable. The tests put
# this in front of the game and the replay tool only.
libs=/usr/lib/x86_64-linux-gnu
export GAME_PRELOAD="$libs/libGLX_mesa.so.0:$libs/dri/swrast_dri.so:$libs/libX11.so.6:$libs/libXext.so.6:$libs/libXcursor.so.1:$libs/libXi.so.6:$libs/libXrandr.so.2:$libs/libXfixes.so.3:$libs/libwayland-client.so.0:$libs/libwayland-egl.so.1:$libs/libwayland-cursor.so.0:$libs/libxkbcommon.so.0:$libs/libdecor-0.so.0:$libs/libEGL.so.1:$libs/libEGL_mesa.so.0"
unset here libs
