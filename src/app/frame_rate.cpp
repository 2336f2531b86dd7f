// The window caption's smoothed frame rate.
#include "app/frame_rate.h"

#include <cstdio>

namespace {

constexpr std::int32_t kCaptionIntervalMs = 100;

}  // namespace

bool updateFrameRate(FrameRate& rate, std::uint32_t nowMs) {
  if (!rate.started) {
    rate.lastUpdateMs = nowMs;
    rate.started = true;
  }
  const auto elapsed = static_cast<std::int32_t>(nowMs - rate.lastUpdateMs);
  if (elapsed <= kCaptionIntervalMs) {
    rate.frameCount += 1;
    return false;
  }
  const float fps = static_cast<float>(static_cast<double>(rate.frameCount) / elapsed * 1000.0);
  rate.smoothedFps = static_cast<float>((double{rate.smoothedFps} + fps) * 0.5);
  rate.lastUpdateMs = nowMs;
  // This call's frame is the first of the new interval.
  rate.frameCount = 1;
  return true;
}

void formatCaption(float fps, char (&caption)[kCaptionSize]) {
  std::snprintf(caption, sizeof caption, "OpenGL Demo - %.2f ", fps);
}
