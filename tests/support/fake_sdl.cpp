// Link-time stand-ins for the two SDL calls the rules and the caption make.
#include "fake_sdl.h"

#include <cstring>

#include "app/shell.h"
#include "world/world.h"

Uint32 fakeTicks = 0;
std::string lastCaption;
int captionCalls = 0;
Uint8 heldKeys[SDLK_LAST];

Uint32 SDL_GetTicks(void) {
  return fakeTicks;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
  lastCaption = title;
  (void)icon;
  ++captionCalls;
}

void resetGame() {
  resetWorld();
  resetShell();
  std::memset(heldKeys, 0, sizeof heldKeys);
  keyState = heldKeys;
  fakeTicks = 0;
  lastCaption.clear();
  captionCalls = 0;
}
