// The frame loop's schedule against displays of every common refresh rate, on a clock of the
// tests' own: swaps that vertical sync holds until the next refresh, frames that take 3 ms to draw
// (or, as in software OpenGL, 12 ms and more, never the same twice).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/pace.h"

namespace {

constexpr Nanoseconds kSecond = 1'000'000'000;
constexpr Nanoseconds kDrawTime = 3'000'000;
Nanoseconds drawTime = kDrawTime;
Nanoseconds drawTimeSpread = 0;  // each frame's draw takes up to this much longer
Nanoseconds fakeNow = 0;
Nanoseconds suspendAt = 0;  // the machine sleeps 2 s during the first wait after this time
Nanoseconds fakeClock() {
  return fakeNow;
}
void fakeSleepUntil(Nanoseconds due) {
  ASSERT_GT(due, fakeNow) << "a sleep into the past";
  fakeNow = due;
  if (suspendAt != 0 && fakeNow >= suspendAt) {
    fakeNow += 2 * kSecond;
    suspendAt = 0;
  }
}

// The times the game's swaps return over the given seconds, on a display of refreshHz (0: no
// vertical sync). At stallAt (if not 0) one frame takes stallFor.
const PaceClock kFakeClock{fakeClock, fakeSleepUntil};

std::vector<Nanoseconds> swaps(double refreshHz, Nanoseconds seconds, Nanoseconds stallAt = 0,
                               Nanoseconds stallFor = 0, bool limitOn = true,
                               int framesPerSecond = kFramesPerSecond) {
  FrameSchedule schedule;
  schedule.limitOn = limitOn;
  schedule.framesPerSecond = framesPerSecond;
  const auto refresh = static_cast<Nanoseconds>(refreshHz > 0 ? kSecond / refreshHz : 0);
  std::vector<Nanoseconds> times;
  fakeNow = 12345;  // no refresh at the clock's zero
  unsigned spread = 1;
  while (fakeNow < seconds * kSecond) {
    spread = spread * 1103515245 + 12345;
    fakeNow += drawTime + (drawTimeSpread > 0 ? (spread >> 8) % drawTimeSpread : 0);
    if (stallAt != 0 && fakeNow >= stallAt) {
      fakeNow += stallFor;
      stallAt = 0;
    }
    if (refresh > 0) {
      fakeNow = (fakeNow / refresh + 1) * refresh;
    }
    times.push_back(fakeNow);
    paceFrame(schedule, kFakeClock);
  }
  return times;
}

TEST(Pace, SixtyFramesASecondOnFastDisplaysOneARefreshOnSlowOnes) {
  for (double hz : {144.0, 120.0, 0.0}) {
    EXPECT_EQ(swaps(hz, 10).size(), 600u) << hz << " Hz";
  }
  // At 60 Hz or below every refresh shows a new frame.
  for (double hz : {60.0, 59.94, 50.0}) {
    const auto times = swaps(hz, 10);
    EXPECT_NEAR(static_cast<double>(times.size()), 10 * hz, 1) << hz << " Hz";
    for (std::size_t i = 1; i < times.size(); ++i) {
      ASSERT_LT(times[i] - times[i - 1], kSecond / hz * 1.5) << hz << " Hz, frame " << i;
    }
  }
}

// Frames that take most of a refresh at 144 Hz, or nearly a 60th of a second without vertical
// sync: still 60, the slow frames made up by the quicker ones.
TEST(Pace, SlowDrawingStillMakesSixty) {
  for (const auto& [hz, slowest] : {std::pair(144.0, 12'000'000), {0.0, 14'000'000}}) {
    drawTime = slowest;
    drawTimeSpread = 2'000'000;
    EXPECT_NEAR(static_cast<double>(swaps(hz, 20).size()), 20 * 60, 2) << hz << " Hz";
  }
  // A machine too slow for 60 runs as fast as it can, never waiting.
  drawTime = 25'000'000;
  drawTimeSpread = 0;
  EXPECT_EQ(swaps(0, 10).size(), 400u);
  drawTime = kDrawTime;
}

TEST(Pace, AnHourWithoutVerticalSyncDriftsNotAFrame) {
  const auto times = swaps(0, 3600);
  ASSERT_EQ(times.size(), 3600u * 60);
  // Frame k starts exactly k / 60 s after the first swap: no rounding adds up.
  const Nanoseconds lastStart = times.back() - kDrawTime;
  EXPECT_EQ(lastStart - times.front(), (3600 * 60 - 1) * kSecond / 60);
}

// A frame that takes two seconds, or a machine suspended for two seconds while the loop waits.
TEST(Pace, AfterAStallTheScheduleMovesOnWithoutABurst) {
  for (const auto& [hz, suspended] :
       {std::pair(0.0, false), {144.0, false}, {60.0, false}, {0.0, true}, {144.0, true}}) {
    suspendAt = suspended ? 4 * kSecond : 0;
    const auto times = swaps(hz, 10, suspended ? 0 : 4 * kSecond, 2 * kSecond);
    // The two seconds are lost, not made up: 8 s of frames in 10 s, and 60 in the second after.
    EXPECT_NEAR(static_cast<double>(times.size()), 8 * 60, 1) << hz << " Hz";
    const auto after = std::count_if(times.begin(), times.end(), [](Nanoseconds time) {
      return time > 6 * kSecond && time <= 7 * kSecond;
    });
    EXPECT_NEAR(after, 60, 1) << hz << " Hz";
  }
}

TEST(Pace, AClockThatJumpsBackCostsNoLongSleep) {
  FrameSchedule schedule;
  fakeNow = 100 * kSecond;
  paceFrame(schedule, kFakeClock);
  fakeNow = 5 * kSecond;  // a clock set back by a minute and a half
  EXPECT_LE(nextFrameDue(schedule, fakeNow, fakeNow) - fakeNow, kSecond / 60);
}

// A slower game speed: 45 or 30 frames a second on every display, evenly spread; at 60 Hz vertical
// sync no longer paces the loop, which waits for its own schedule.
TEST(Pace, SlowerSpeedsStepFewerFrames) {
  for (const int fps : {45, 30}) {
    for (const double hz : {144.0, 60.0, 0.0}) {
      const auto times = swaps(hz, 10, 0, 0, true, fps);
      EXPECT_NEAR(static_cast<double>(times.size()), 10.0 * fps, 1) << fps << " at " << hz;
      for (std::size_t i = 1; i < times.size(); ++i) {
        ASSERT_LT(times[i] - times[i - 1], 2 * kSecond / fps) << fps << " at " << hz << ", " << i;
      }
    }
  }
}

TEST(Pace, OffItNeverWaits) {
  EXPECT_EQ(swaps(0, 1, 0, 0, false).size(), kSecond / kDrawTime + 1);
}

}  // namespace
