// eggquest: guide the chicken to the egg in each of two levels.
#include <SDL.h>

#include "app/frame.h"
#include "app/shell.h"

namespace {

constexpr int kExitNormal = 1;  // also after a normal end, as the game always has

}  // namespace

int main(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  if (const int failed = startGame()) {
    return failed;
  }
  while (quitRequested == 0) {
    runFrame();
  }
  SDL_Quit();
  return kExitNormal;
}
