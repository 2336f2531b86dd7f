// The fixed OpenGL state and the frame sequence shared by the game and its replays.
#include "app/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "render/render.h"
#include "sound/sound.h"
#include "texture/tile_set.h"
#include "world/world.h"

namespace {

constexpr int kExitNoSdl = 1;
constexpr int kExitNoWindow = 2;

// Without a display, SDL quietly falls back to a window nobody can see or close.
bool windowIsOffscreen() {
  char driver[32] = "";
  return SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
         std::strcmp(driver, "offscreen") == 0;
}

}  // namespace

int startGame(bool fullscreen) {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "Unable to init SDL: %s", SDL_GetError());
    return kExitNoSdl;
  }
  const Uint32 videoFlags = fullscreen ? SDL_OPENGL | SDL_FULLSCREEN : SDL_OPENGL;
  if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, 0, videoFlags) == nullptr) {
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
  return 0;
}

void initScene() {
  glViewport(0, 0, kWindowWidth, kWindowHeight);
  // One world unit per tile, origin at the top-left corner, y growing downwards.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, kMapSize, kMapSize, 0.0);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  loadTileSet();
}

void runFrame(void (*afterEventPump)(), void (*eachEvent)(const SDL_Event&)) {
  drawMap();
  // drawMap leaves the modelview matrix on its last tile.
  glLoadIdentity();
  drawCharacter(1.0f);
  updatePhysics();

  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      quitRequested = 1;
    }
    keyState = SDL_GetKeyState(nullptr);
    if (eachEvent != nullptr) {
      eachEvent(event);
    }
  }
  if (afterEventPump != nullptr) {
    afterEventPump();
  }
  if (handleInput() == 1) {
    quitRequested = 1;
  }
  glFlush();
  SDL_GL_SwapBuffers();
  listenToFrame();
}
