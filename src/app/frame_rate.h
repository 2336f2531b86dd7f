// The window caption's smoothed frame rate: the counting, without SDL, so that it can be tested.
#pragma once

#include <cstddef>
#include <cstdint>

// The caption's counters, the shell's own.
struct FrameRate {
  bool started = false;
  std::uint32_t lastUpdateMs = 0;  // when the rate was last worked out
  std::int32_t frameCount = 0;     // frames since then, the updating one included
  float smoothedFps = 0.0f;
};

constexpr std::size_t kCaptionSize = 80;

// Counts the frame drawn at nowMs, a millisecond clock that may wrap. More than 100 ms after the
// last update, works out the rate since, averages it with the one shown and returns true: the
// caption is then to show smoothedFps. At most ten times a second, so the title is not rewritten
// every frame.
bool updateFrameRate(FrameRate& rate, std::uint32_t nowMs);

// The caption showing the given rate.
void formatCaption(float fps, char (&caption)[kCaptionSize]);
