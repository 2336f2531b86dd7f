// The frame loop's pace: 60 frames a second, the speed the game's per-frame steps are tuned for,
// whatever the display's refresh rate, by sleeping after each buffer swap until the next frame's
// time on an absolute schedule. The page paces itself with these same numbers (web/pace.js).
#pragma once

#include <cstdint>

#include "world/world.h"

using Nanoseconds = std::int64_t;

constexpr int kFramesPerSecond = kGameFramesPerSecond;
// A display refreshing at most this often, with vertical sync, paces the frames itself: each
// swap it holds already takes about a 60th of a second, and waiting as well would cost refreshes.
constexpr int kDisplayPacedHz = 65;

// The schedule: frame k is due at start + k / 60 s (or 45 or 30, at a slower game speed). Moved to
// now, not caught up, when the loop falls more than a frame behind or the clock jumps back, and
// while the display paces the frames itself: when vertical sync at 65 Hz or less holds each swap,
// or a slow machine draws fewer than 65 frames a second.
struct FrameSchedule {
  bool limitOn = true;                     // off, the loop runs as fast as the swaps return
  int framesPerSecond = kFramesPerSecond;  // fewer at a slower game speed
  bool started = false;
  Nanoseconds start = 0;
  std::int64_t framesScheduled = 0;
  Nanoseconds frameStarted = 0;  // when the frame now ending began, after the last wait
  bool frameWaited = false;      // whether it waited for the schedule before it began
};

// The clock and the sleep the loop uses: a monotonic clock on the desktop, the tests' own there.
struct PaceClock {
  Nanoseconds (*now)();
  void (*sleepUntil)(Nanoseconds due);
};
PaceClock monotonicClock();

// The time the next frame is due, given when the frame just swapped began and the time now;
// advances the schedule. A due time at or before now means: start the next frame at once.
Nanoseconds nextFrameDue(FrameSchedule& schedule, Nanoseconds frameStart, Nanoseconds now);

// After each swap: waits until the next frame is due, unless the limit is off.
void paceFrame(FrameSchedule& schedule, const PaceClock& clock);
