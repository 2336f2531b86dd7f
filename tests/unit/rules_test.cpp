// The chicken's movement and the level rules, stepped frame by frame without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/shell.h"
#include "fake_sdl.h"
#include "world/world.h"

namespace {

constexpr float kTolerance = 1e-4f;

class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetGame();
    handleInput();     // starts the input clock at 0
    fakeTicks = 1000;  // well past the start delay
  }

  // The rules' half of a frame, in the frame loop's order.
  void frame() {
    updatePhysics();
    if (handleInput() == 1) {
      quitRequested = 1;
    }
  }

  void settle(int frames = 200) {
    for (int i = 0; i < frames; ++i) {
      frame();
    }
  }

  void placeAt(float x, float y) {
    characterX = x;
    characterY = y;
    velocityY = 0.0f;
  }
};

TEST_F(RulesTest, StartFallsThenLandsOnTheGroundRow) {
  const float fall[] = {10.02f, 10.06f, 10.12f, 10.20f};
  for (float expected : fall) {
    updatePhysics();
    EXPECT_NEAR(characterY, expected, kTolerance);
  }
  for (int step = 5; step <= 26; ++step) {
    updatePhysics();
    EXPECT_FALSE(onGround) << "landed early, at step " << step;
  }
  EXPECT_NEAR(characterY, 17.02f, kTolerance);  // row 17, above the solid row 18

  updatePhysics();  // the 27th step: moved to 17.56 at speed 0.54, then pushed back up
  EXPECT_TRUE(onGround);
  EXPECT_NEAR(characterY, 17.46f, kTolerance);
  EXPECT_EQ(velocityY, 0.0f);

  updatePhysics();
  EXPECT_NEAR(characterY, 17.38f, kTolerance);
  updatePhysics();
  EXPECT_NEAR(characterY, 17.30f, kTolerance);
}

TEST_F(RulesTest, RestsOnTheGroundWithoutSinkingOrHovering) {
  settle();
  float highest = characterY;
  float lowest = characterY;
  for (int i = 0; i < 1000; ++i) {
    frame();
    highest = std::min(highest, characterY);
    lowest = std::max(lowest, characterY);
  }
  EXPECT_GT(highest, 16.93f);
  EXPECT_LT(lowest, 17.03f);
  EXPECT_EQ(currentLevel, 1);
}

TEST_F(RulesTest, JumpFromRestPeaksAfter24FramesAbout6Point5Higher) {
  settle();
  const float restingY = characterY;
  heldKeys[SDLK_UP] = 1;
  handleInput();
  heldKeys[SDLK_UP] = 0;
  EXPECT_FALSE(onGround);
  EXPECT_EQ(velocityY, -0.5f);
  EXPECT_NEAR(characterY, restingY - 0.5f, kTolerance);

  int peakFrame = 0;
  float peakY = characterY;
  for (int step = 1; step <= 40; ++step) {
    frame();
    if (characterY < peakY - kTolerance) {
      peakY = characterY;
      peakFrame = step;
    }
  }
  EXPECT_EQ(peakFrame, 24);
  EXPECT_NEAR(restingY - peakY, 6.5f, 0.01f);
}

TEST_F(RulesTest, UpJumpsOnlyFromTheGroundAndAgainAtEachLanding) {
  heldKeys[SDLK_UP] = 1;
  for (int i = 0; i < 10; ++i) {
    frame();  // still falling from the start: no jump
    EXPECT_GT(velocityY, 0.0f);
  }
  int jumps = 0;
  for (int i = 0; i < 300; ++i) {
    frame();
    EXPECT_FALSE(onGround) << "a landing with Up held must jump at once, frame " << i;
    jumps += velocityY == -0.5f ? 1 : 0;
  }
  EXPECT_GE(jumps, 5);
}

TEST_F(RulesTest, WalkingIsClampedToTheWindow) {
  placeAt(0.1f, 17.0f);
  heldKeys[SDLK_LEFT] = 1;
  handleInput();
  EXPECT_EQ(characterX, 0.0f);

  heldKeys[SDLK_LEFT] = 0;
  heldKeys[SDLK_RIGHT] = 1;
  placeAt(18.9f, 17.0f);
  handleInput();
  EXPECT_EQ(characterX, 19.0f);

  heldKeys[SDLK_LEFT] = 1;  // both held cancel out
  placeAt(5.0f, 17.0f);
  handleInput();
  EXPECT_NEAR(characterX, 5.0f, kTolerance);
}

TEST_F(RulesTest, InputWaitsTenMillisecondsButEscapeDoesNot) {
  resetGame();
  heldKeys[SDLK_RIGHT] = 1;
  fakeTicks = 500;
  handleInput();  // the clock starts here
  fakeTicks = 510;
  handleInput();
  EXPECT_EQ(characterX, 10.0f);
  fakeTicks = 511;
  handleInput();
  EXPECT_NEAR(characterX, 10.2f, kTolerance);

  heldKeys[SDLK_ESCAPE] = 1;  // ends the game, and nothing moves in that frame
  EXPECT_EQ(handleInput(), 1);
  EXPECT_NEAR(characterX, 10.2f, kTolerance);

  keyState = nullptr;  // no key state yet reads as no key held
  EXPECT_EQ(handleInput(), 0);
  EXPECT_NEAR(characterX, 10.2f, kTolerance);
}

TEST_F(RulesTest, JumpingUpUnderThePlatformLandsOnTop) {
  placeAt(14.0f, 17.0f);
  settle();
  heldKeys[SDLK_UP] = 1;
  handleInput();
  heldKeys[SDLK_UP] = 0;
  int frames = 0;
  while (!onGround && frames < 100) {
    frame();
    ++frames;
  }
  ASSERT_TRUE(onGround);
  EXPECT_GE(characterY, 13.9f);  // on top of row 15, not stuck inside it
  EXPECT_LT(characterY, 15.0f);
  settle();
  EXPECT_GT(characterY, 13.93f);
  EXPECT_LT(characterY, 14.03f);
}

TEST_F(RulesTest, WalksOffALedgeAndMayStillJumpOnce) {
  placeAt(14.0f, 14.0f);
  settle();
  ASSERT_LT(characterY, 14.1f);  // resting on the platform
  heldKeys[SDLK_RIGHT] = 1;
  while (characterX < 17.1f) {  // column 17 has no platform
    frame();
  }
  heldKeys[SDLK_RIGHT] = 0;
  for (int i = 0; i < 5; ++i) {
    frame();
  }
  ASSERT_GT(characterY, 14.2f);  // falling
  EXPECT_TRUE(onGround);         // walking off leaves the flag set
  heldKeys[SDLK_UP] = 1;
  handleInput();
  EXPECT_FALSE(onGround);
  EXPECT_EQ(velocityY, -0.5f);
}

TEST_F(RulesTest, FirstEggSwitchesLevelWithinTheSameStep) {
  placeAt(6.5f, 9.5f);  // top-left corner in row 9, column 6, just above the egg
  updatePhysics();
  EXPECT_EQ(currentLevel, 2);
  EXPECT_EQ(quitRequested, 0);  // level 2 has sky there
  EXPECT_NEAR(characterY, 9.52f, kTolerance);
  EXPECT_NEAR(characterX, 6.5f, kTolerance);
}

TEST_F(RulesTest, SecondEggEndsTheGame) {
  currentLevel = 2;
  placeAt(18.3f, 15.5f);
  updatePhysics();
  EXPECT_EQ(quitRequested, 1);
}

TEST_F(RulesTest, LandingBelowTheLastRowStartsAgainAtTheTop) {
  placeAt(3.0f, 17.5f);
  velocityY = 2.0f;  // moved to 19.52, pushed to 19.42: past row 19
  updatePhysics();
  EXPECT_TRUE(onGround);
  EXPECT_EQ(characterY, 0.0f);
}

TEST_F(RulesTest, FallsForeverDownLevelTwosShaftUntilEscape) {
  currentLevel = 2;
  placeAt(15.2f, 17.0f);
  // Ten million frames: the fall passes far beyond any integer's range.
  float previousY = characterY;
  bool landed = false;
  bool rose = false;
  for (int i = 0; i < 10000000; ++i) {
    frame();
    landed = landed || onGround;
    rose = rose || characterY < previousY;
    previousY = characterY;
  }
  EXPECT_FALSE(landed);
  EXPECT_FALSE(rose);
  EXPECT_GT(characterY, 1e12f);
  EXPECT_EQ(quitRequested, 0);
  heldKeys[SDLK_ESCAPE] = 1;
  EXPECT_EQ(handleInput(), 1);
}

TEST_F(RulesTest, FarOffPositionsGiveFarOffCells) {
  EXPECT_EQ(cellIndex(19.99f), 19);
  EXPECT_EQ(cellIndex(-0.5f), 0);  // truncation towards zero
  EXPECT_GT(cellIndex(3e9f), kMapSize);
  EXPECT_LT(cellIndex(-3e9f), -1);
  EXPECT_GT(cellIndex(std::numeric_limits<float>::infinity()), kMapSize);
  EXPECT_GT(cellIndex(std::nanf("")), kMapSize);

  currentLevel = 2;
  placeAt(15.0f, 3e9f);  // beyond any integer range
  updatePhysics();
  EXPECT_FALSE(onGround);
}

TEST_F(RulesTest, OutsideTheMapIsEmpty) {
  EXPECT_EQ(tileAt(1, -1, 0), kNoTile);
  EXPECT_EQ(tileAt(1, 20, 0), kNoTile);
  EXPECT_EQ(tileAt(1, 0, -1), kNoTile);
  EXPECT_EQ(tileAt(1, 0, 20), kNoTile);
  EXPECT_EQ(tileAt(3, 5, 5), kNoTile);
  EXPECT_EQ(tileAt(2, 17, 15), 0);  // the shaft replaces the strip and the ground
  EXPECT_EQ(tileAt(2, 18, 15), 0);
  EXPECT_EQ(tileAt(1, 18, 15), kSolidTile);
}

}  // namespace
