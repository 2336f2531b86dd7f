// eggquest: guide the chicken to the egg in each of two levels.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "app/frame.h"
#include "app/shell.h"

namespace {

constexpr int kExitNormal = 1;  // also after a normal end, as the game always has
constexpr int kExitNoSdl = 1;
constexpr int kExitNoWindow = 2;

// Without a display, SDL quietly falls back to a window nobody can see or close.
bool windowIsOffscreen() {
  char driver[32] = "";
  return SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
         std::strcmp(driver, "offscreen") == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  (void)argc;
  (void)argv;
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "Unable to init SDL: %s", SDL_GetError());
    return kExitNoSdl;
  }
  if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, 0, SDL_OPENGL) == nullptr) {
    std::fprintf(stderr, "Unable to create OpenGL Scene: %s", SDL_GetError());
    SDL_Quit();
    return kExitNoWindow;
  }
  if (windowIsOffscreen()) {
    std::fprintf(stderr, "Unable to create OpenGL Scene: %s", "no display found");
    SDL_Quit();
    return kExitNoWindow;
  }
  initScene();

  // Before the first event arrives, the keys are read from SDL's own array.
  keyState = SDL_GetKeyState(nullptr);
  while (quitRequested == 0) {
    runFrame();
  }
  SDL_Quit();
  return kExitNormal;
}
