// A clock and a caption of the tests' own, standing in for SDL's so no window is needed.
#pragma once

#include <SDL.h>

#include <string>

extern Uint32 fakeTicks;
extern std::string lastCaption;
extern int captionCalls;

// Keys the tests hold down; keyState points here.
extern Uint8 heldKeys[SDLK_LAST];

// Back to the start of a run: world, shell, clock, keys and caption.
void resetGame();
