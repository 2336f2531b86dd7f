// eggquest in a browser: the desktop game's start-up and frame, driven by the browser's animation
// frames, because a page must get control back after every frame.
#include <emscripten.h>

#include "app/frame.h"
#include "app/shell.h"
#include "world/world.h"

namespace {

// As many frames as the display refreshes, the speed the game is tuned for.
constexpr int kFramesAtDisplayRate = 0;

void browserFrame() {
  runFrame();
  if (quitRequested != 0) {
    emscripten_cancel_main_loop();
    // There is no process to end: the page says the game is over and offers another.
    EM_ASM({
      if (Module.onGameEnd)
        Module.onGameEnd();
    });
  }
}

void runFrames() {
  emscripten_set_main_loop(browserFrame, kFramesAtDisplayRate, 0);
}

}  // namespace

// The page's "Play again": the level, the character and the caption back to the start.
extern "C" EMSCRIPTEN_KEEPALIVE void playAgain() {
  resetWorld();
  resetShell();
  runFrames();
}

int main() {
  if (const int failed = startGame()) {
    return failed;
  }
  runFrames();
  return 0;
}
