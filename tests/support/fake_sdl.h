// A clock and held keys of the tests' own, standing in for SDL's so no window is needed.
#pragma once

#include <SDL.h>

extern Uint32 fakeTicks;
extern Uint8 heldKeys[SDLK_LAST];  // keyState points here

void resetGame();  // back to the start of a run: world, shell, clock and keys
