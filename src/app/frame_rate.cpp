// The window caption's smoothed frame rate.
#include "app/frame_rate.h"

#include <SDL.h>

#include <cstdio>

namespace {

constexpr Sint32 kCaptionIntervalMs = 100;
constexpr std::size_t kCaptionBufferSize = 80;

bool captionClockStarted = false;
Uint32 lastCaptionTicks = 0;

}  // namespace

std::int32_t frameCount = 0;
float smoothedFps = 0.0f;

void updateFrameRate() {
  if (!captionClockStarted) {
    lastCaptionTicks = SDL_GetTicks();
    captionClockStarted = true;
  }
  const Uint32 now = SDL_GetTicks();
  const Sint32 elapsed = static_cast<Sint32>(now - lastCaptionTicks);
  if (elapsed > kCaptionIntervalMs) {
    const float fps = static_cast<float>(static_cast<double>(frameCount) / elapsed * 1000.0);
    smoothedFps = static_cast<float>((double{smoothedFps} + fps) * 0.5);
    char caption[kCaptionBufferSize];
    std::snprintf(caption, sizeof caption, "OpenGL Demo - %.2f ", smoothedFps);
    SDL_WM_SetCaption(caption, nullptr);
    lastCaptionTicks = now;
    // This call's frame is the first of the new interval.
    frameCount = 1;
  } else {
    frameCount += 1;
  }
}

void resetFrameRate() {
  frameCount = 0;
  smoothedFps = 0.0f;
  captionClockStarted = false;
  lastCaptionTicks = 0;
}
