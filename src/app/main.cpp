// eggquest: guide the chicken to the egg in each of two levels.
//   eggquest [--mute]     --mute: no sound; any other argument is ignored, as it always was
#include <SDL.h>

#include <cstring>

#include "app/frame.h"
#include "app/shell.h"
#include "app/sound.h"

namespace {

constexpr int kExitNormal = 1;  // also after a normal end, as the game always has

}  // namespace

int main(int argc, char* argv[]) {
  bool muted = false;
  for (int i = 1; i < argc; ++i) {
    muted = muted || std::strcmp(argv[i], "--mute") == 0;
  }
  if (const int failed = startGame()) {
    return failed;
  }
  // The sound starts once the first frame is on the screen, which it does not delay, and only if
  // the game goes on; muted, the sound device is never opened.
  runFrame();
  if (!muted && quitRequested == 0) {
    startSound();
  }
  while (quitRequested == 0) {
    runFrame();
  }
  // The second egg's sound is not waited for: the game ends in that frame, as it always has.
  stopSound();
  SDL_Quit();
  return kExitNormal;
}
