// eggquest in a browser: the desktop game's start-up and frame, driven by the browser's animation
// frames, because a page must get control back after every frame.
#include <emscripten.h>

#include "app/frame.h"
#include "app/shell.h"
#include "sound/sound.h"
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

// Browsers let a page make sound only after the player's first key or touch: the page calls this
// then, unless the player has muted it.
extern "C" EMSCRIPTEN_KEEPALIVE void beginSound() {
  startSound();
}

// The page's sound button.
extern "C" EMSCRIPTEN_KEEPALIVE void muteSound(int muted) {
  setSoundMuted(muted != 0);
}

int main() {
  if (const int failed = startGame()) {
    return failed;
  }
  runFrames();
  return 0;
}
