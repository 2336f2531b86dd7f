// Link-time stand-ins for the two SDL calls the rules and the caption make.
#include "fake_sdl.h"

#include "app/shell.h"
#include "world/world.h"

Uint32 fakeTicks = 0;
Uint8 heldKeys[SDLK_LAST];

Uint32 SDL_GetTicks(void) {
  return fakeTicks;
}

void SDL_WM_SetCaption(const char*, const char*) {}  // the X tests read the caption

void resetGame() {
  resetWorld();
  resetShell();
  SDL_memset(heldKeys, 0, sizeof heldKeys);
  keyState = heldKeys;
  fakeTicks = 0;
}
