// The frame loop's pace: 60 frames a second, the speed the game's per-frame steps are tuned for,
// whatever the display's refresh rate, by sleeping after each buffer swap until the next frame's
// time on an absolute schedule.
#pragma once

#include <cstdint>

using Nanoseconds = std::int64_t;

constexpr int kFramesPerSecond = 60;

// Whether the loop waits for the schedule at all; off, it runs as fast as the swaps return.
extern bool frameLimitOn;

// The schedule: frame k is due at scheduleStart + k / 60 s. Moved to now, not caught up, when the
// loop falls more than a frame behind or the clock jumps back, and while the display paces the
// frames itself: when vertical sync at 65 Hz or less holds each swap, or a slow machine draws
// fewer than 65 frames a second, waiting would only cost refreshes.
extern Nanoseconds scheduleStart;
extern std::int64_t framesScheduled;
extern bool scheduleStarted;
extern Nanoseconds frameStarted;  // when the frame now ending began, after the last wait
extern bool frameWaited;          // whether it waited for the schedule before it began

// The time the next frame is due, given when the frame just swapped began and the time now;
// advances the schedule. A due time at or before now means: start the next frame at once.
Nanoseconds nextFrameDue(Nanoseconds frameStart, Nanoseconds now);

// The clock and the sleep the loop uses, a monotonic clock by default; tests put their own.
extern Nanoseconds (*paceClock)();
extern void (*paceSleepUntil)(Nanoseconds due);

// After each swap: waits until the next frame is due, unless the limit is off.
void paceFrame();

// Puts the schedule back to the start of a run.
void resetPace();
