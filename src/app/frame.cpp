// The fixed OpenGL state and the frame sequence shared by the game and its replays.
#include "app/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include "app/shell.h"
#include "render/render.h"
#include "world/tile_set.h"
#include "world/world.h"

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

void runFrame(void (*afterEventPump)()) {
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
  }
  if (afterEventPump != nullptr) {
    afterEventPump();
  }
  if (handleInput() == 1) {
    quitRequested = 1;
  }
  glFlush();
  SDL_GL_SwapBuffers();
}
