// The frame loop's absolute schedule, and the monotonic clock that drives it on the desktop.
#include "app/pace.h"

#include <time.h>

#include <cerrno>

namespace {

constexpr Nanoseconds kNanosecondsPerSecond = 1'000'000'000;
constexpr int kDisplayPacedSlowestHz = 55;

// Frame k's time after the schedule's start, exact in whole nanoseconds: no rounding piles up.
Nanoseconds sinceStart(std::int64_t frame, int framesPerSecond) {
  return frame * kNanosecondsPerSecond / framesPerSecond;
}

Nanoseconds monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * kNanosecondsPerSecond + now.tv_nsec;
}

// An absolute deadline, so time spent before the call or in a signal's handling is not added.
void sleepUntilMonotonic(Nanoseconds due) {
  const timespec until{static_cast<time_t>(due / kNanosecondsPerSecond),
                       static_cast<long>(due % kNanosecondsPerSecond)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

}  // namespace

PaceClock monotonicClock() {
  return {monotonicNow, sleepUntilMonotonic};
}

Nanoseconds nextFrameDue(FrameSchedule& schedule, Nanoseconds frameStart, Nanoseconds now) {
  const int fps = schedule.framesPerSecond;
  const Nanoseconds framePeriod = sinceStart(1, fps);
  // A frame that took about a refresh at the game's own rate without waiting for the schedule:
  // vertical sync at that rate paces the loop, and waiting as well would only cost refreshes.
  // The rate is the speed's share of the display-paced ones, 65 to 55 a second at full speed.
  const Nanoseconds shortestRefresh =
      kNanosecondsPerSecond * kFramesPerSecond / (std::int64_t{kDisplayPacedHz} * fps);
  const Nanoseconds longestRefresh =
      kNanosecondsPerSecond * kFramesPerSecond / (std::int64_t{kDisplayPacedSlowestHz} * fps);
  if (!schedule.started) {
    schedule.start = now;
    schedule.framesScheduled = 0;
    schedule.started = true;
  }
  schedule.framesScheduled += 1;
  Nanoseconds due = schedule.start + sinceStart(schedule.framesScheduled, fps);
  // Frames lost to a stall, a slower display or a slow machine are not made up in a burst. A
  // clock that went back (it should not) would otherwise mean a long sleep.
  const Nanoseconds frameTime = now - frameStart;
  const bool displayPaced =
      !schedule.frameWaited && frameTime >= shortestRefresh && frameTime <= longestRefresh;
  if (displayPaced || now - due > framePeriod || due - now > 2 * framePeriod) {
    schedule.start = now;
    schedule.framesScheduled = 0;
    due = now;
  }
  return due;
}

void paceFrame(FrameSchedule& schedule, const PaceClock& clock) {
  if (!schedule.limitOn) {
    return;
  }
  const Nanoseconds now = clock.now();
  const Nanoseconds due = nextFrameDue(schedule, schedule.frameStarted, now);
  schedule.frameWaited = due > now;
  if (schedule.frameWaited) {
    clock.sleepUntil(due);
  }
  schedule.frameStarted = clock.now();
}
