// The caption's timing and smoothing, on a clock the test controls.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "fake_sdl.h"

namespace {

class FrameRateTest : public ::testing::Test {
 protected:
  void SetUp() override { resetGame(); }

  void frameAt(Uint32 ticks) {
    fakeTicks = ticks;
    updateFrameRate();
  }
};

TEST_F(FrameRateTest, UpdatesOnlyAfterMoreThan100Ms) {
  frameAt(0);  // the first call only counts
  EXPECT_EQ(frameCount, 1);
  frameAt(50);
  frameAt(100);  // exactly 100 ms: not yet
  EXPECT_EQ(captionCalls, 0);
  EXPECT_EQ(frameCount, 3);

  frameAt(101);  // 3 frames in 101 ms, averaged with the 0 shown before
  EXPECT_EQ(captionCalls, 1);
  EXPECT_EQ(lastCaption, "OpenGL Demo - 14.85 ");
  EXPECT_EQ(frameCount, 1);
}

TEST_F(FrameRateTest, NextIntervalStartsAtTheUpdatingCall) {
  frameAt(0);
  frameAt(50);
  frameAt(100);
  frameAt(101);
  frameAt(150);
  frameAt(201);  // 100 ms after the update: not yet
  EXPECT_EQ(captionCalls, 1);
  frameAt(202);  // the updating call, 150 and 201: 3 frames in 101 ms
  EXPECT_EQ(captionCalls, 2);
  EXPECT_EQ(lastCaption, "OpenGL Demo - 22.28 ");
}

TEST_F(FrameRateTest, LongFrameGivesOneSmallRateStillSmoothed) {
  for (Uint32 t = 0; t <= 101; ++t) {
    frameAt(t);  // 101 frames in 101 ms: 1000 a second, shown as 500
  }
  ASSERT_EQ(lastCaption, "OpenGL Demo - 500.00 ");
  frameAt(5101);  // one frame took five seconds: 0.2 a second, averaged with 500
  EXPECT_EQ(captionCalls, 2);
  EXPECT_EQ(lastCaption, "OpenGL Demo - 250.10 ");
}

TEST_F(FrameRateTest, SurvivesTheClockWrappingAround) {
  frameAt(0xFFFFFFF0u);
  frameAt(0xFFFFFFF0u + 101u);  // the tick counter has wrapped past zero
  EXPECT_EQ(captionCalls, 1);
  EXPECT_EQ(lastCaption, "OpenGL Demo - 4.95 ");
}

}  // namespace
