// The chicken's rules and the caption's frame rate, frame by frame without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "app/frame_rate.h"
#include "app/shell.h"
#include "fake_sdl.h"
#include "world/world.h"

namespace {

using State = std::tuple<int, float, float, float, bool, int>;  // level, x, y, speed, ground, end
constexpr SDLKey L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, E = SDLK_ESCAPE;

// One frame, physics then input, from each state; ms since the input clock started.
TEST(Rules, OneFrame) {
  const std::tuple<std::vector<SDLKey>, Uint32, State, State> cases[] = {
      {{L}, 11, {1, 10, 16.5f, 0.5f, false, 0}, {1, 9.8f, 17.02f, 0.52f, false, 0}},  // row before
      {{}, 11, {1, -0.5f, 17.02f, 0.52f, false, 0}, {1, 0, 17.46f, 0, true, 0}},  // cell 0 lands
      {{L, R}, 11, {1, 3, 17.5f, 2, false, 0}, {1, 3, 0, 0, true, 0}},  // lands past row 19: top
      {{R}, 10, {1, 6.5f, 9.5f, 0, false, 0}, {2, 6.5f, 9.52f, 0.02f, false, 0}},      // egg; delay
      {{U, R}, 11, {2, 18.9f, 15.5f, 0, false, 0}, {2, 19, 15.52f, 0.02f, false, 1}},  // no jump
      {{U}, 11, {1, 5, 10, 0, true, 0}, {1, 5, 9.52f, -0.5f, false, 0}},       // walked off a ledge
      {{E}, 0, {1, 5, 10, 0, false, 0}, {1, 5, 10.02f, 0.02f, false, 1}},      // never delayed
      {{E, R}, 11, {1, 5, 10, 0, false, 0}, {1, 5, 10.02f, 0.02f, false, 1}},  // nothing moves
  };
  const auto near = [](float value) { return std::round(value * 1000) / 1000; };
  for (const auto& [keys, ms, from, to] : cases) {
    resetGame();
    fakeTicks = 500;
    handleInput();
    fakeTicks += ms;
    for (SDLKey key : keys)
      heldKeys[key] = 1;
    std::tie(currentLevel, characterX, characterY, velocityY, onGround, quitRequested) = from;
    updatePhysics();
    quitRequested |= handleInput();
    EXPECT_EQ(State(currentLevel, near(characterX), near(characterY), near(velocityY), onGround,
                    quitRequested),
              to);
  }
  keyState = nullptr;  // not yet fetched: no key held
  EXPECT_EQ(handleInput(), 0);
}

// y passes 1e12 and every frame converts it to a cell: for the sanitizer build.
TEST(Rules, FarOffCellsStayFarFromOverflowAndOutsideTheMapIsNoTile) {
  resetGame();
  std::tie(currentLevel, characterX) = std::tuple(2, 15.2f);  // level 2's shaft
  for (int i = 0; i < 10000000 && !onGround; ++i)
    updatePhysics();
  EXPECT_GT(characterY, 1e12f);
  for (float far : {3e9f, -3e9f, INFINITY, NAN}) {
    const auto cell = std::abs(std::int64_t{cellIndex(far)});
    EXPECT_TRUE(cell > kMapSize && cell < 1 << 30) << far;
  }
  for (const auto& [level, row, column] :
       {std::tuple{1, -1, 0}, {1, 20, 0}, {1, 0, -1}, {1, 0, 20}, {3, 5, 5}})
    EXPECT_EQ(tileAt(level, row, column), kNoTile) << level << " " << row << " " << column;
}

// Frames at these ticks, across the clock's wrap: the smoothed rate after each.
TEST(FrameRate, AveragesEachIntervalLongerThan100MsWithTheLast) {
  resetGame();
  const std::pair<Uint32, float> frames[] = {
      {0, 0},        {50, 0},       {100, 0},       // exactly 100 ms: not yet
      {101, 14.85f}, {150, 14.85f}, {201, 14.85f},  // 3 frames in 101 ms, averaged with 0
      {202, 22.28f}};  // 3 in the 101 ms since: the updating frame is the first
  for (const auto& [ms, fps] : frames) {
    fakeTicks = 0xFFFFFFF0u + ms;
    updateFrameRate();
    EXPECT_NEAR(smoothedFps, fps, 0.005f) << ms;
  }
}

}  // namespace
