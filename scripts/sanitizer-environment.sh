# The environment of the sanitizer run, sourced by scripts/test; its suppressions are in
# tests/sanitizers/. The tests also preload a library into the game and the replay tool that
# keeps what SDL loads at run time loaded to the end (tests/sanitizers/keep_libraries_loaded.cpp).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/sanitizers" && pwd)

# The preloaded library comes before the sanitizers' runtime, which would otherwise refuse to start.
# Dynamic TLS blocks are not tracked: GCC 12's LeakSanitizer (Debian 12) takes a block that starts
# 16 bytes into a page for an old glibc's header, reads a size from it and crashes; the blocks are
# heap memory reached from each thread's static TLS, which is still scanned.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:verify_asan_link_order=0:intercept_tls_get_addr=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0
unset here
