// The application shell's shared state and the frame-rate caption.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// Non-zero ends the frame loop before the next frame; the current frame always completes.
extern int quitRequested;
// SDL's held-key bytes, indexed by SDLK_ value; null until first fetched (read as no key held).
extern Uint8* keyState;

// Counts frames and, at most ten times a second, shows the smoothed frame rate in the caption.
// Called once per frame, as the last act of drawing the map.
void updateFrameRate();
extern std::int32_t frameCount;
extern float smoothedFps;

// Puts the caption counters back to the start of a run.
void resetFrameRate();

// Puts the end flag, the key state and the caption counters back to the start of a run.
void resetShell();
