// The application shell's shared state.
#pragma once

#include <SDL.h>

#include "app/frame_rate.h"  // the caption's counters, part of the shell

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// Non-zero ends the frame loop before the next frame; the current frame always completes.
extern int quitRequested;
// SDL's held-key bytes, indexed by SDLK_ value; null until first fetched (read as no key held).
extern Uint8* keyState;

// Puts the end flag, the key state and the caption counters back to the start of a run.
void resetShell();
