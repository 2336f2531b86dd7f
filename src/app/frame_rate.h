// The window caption's smoothed frame rate.
#pragma once

#include <cstdint>

// Counts frames and, at most ten times a second, shows the smoothed frame rate in the caption.
// Called once per frame, as the last act of drawing the map.
void updateFrameRate();
extern std::int32_t frameCount;
extern float smoothedFps;

// Puts the caption counters back to the start of a run.
void resetFrameRate();
