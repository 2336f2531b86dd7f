// The chicken's rules on world values, and the caption's frame rate, frame by frame without a
// window.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/frame_rate.h"
#include "world/key_script.h"
#include "world/world.h"

namespace {

using State = std::tuple<int, float, float, float, bool, int>;  // level, x, y, speed, ground, end

HeldKeys keysOf(const std::string& letters) {  // "LRUE"
  HeldKeys keys;
  keys.left = letters.find('L') != std::string::npos;
  keys.right = letters.find('R') != std::string::npos;
  keys.up = letters.find('U') != std::string::npos;
  keys.escape = letters.find('E') != std::string::npos;
  return keys;
}

// One frame, physics then input, from each state; ms since the input clock started, which starts
// near the clock's wrap.
TEST(Rules, OneFrame) {
  const std::tuple<const char*, std::uint32_t, State, State> cases[] = {
      {"L", 11, {1, 10, 16.5f, 0.5f, false, 0}, {1, 9.8f, 17.02f, 0.52f, false, 0}},  // row before
      {"", 11, {1, -0.5f, 17.02f, 0.52f, false, 0}, {1, 0, 17.46f, 0, true, 0}},  // cell 0 lands
      {"LR", 11, {1, 3, 17.5f, 2, false, 0}, {1, 3, 0, 0, true, 0}},  // lands past row 19: top
      {"R", 10, {1, 6.5f, 9.5f, 0, false, 0}, {2, 6.5f, 9.52f, 0.02f, false, 0}},    // egg; delay
      {"UR", 11, {2, 18.9f, 15.5f, 0, false, 0}, {2, 19, 15.52f, 0.02f, false, 1}},  // no jump
      {"U", 11, {1, 5, 10, 0, true, 0}, {1, 5, 9.52f, -0.5f, false, 0}},     // walked off a ledge
      {"E", 0, {1, 5, 10, 0, false, 0}, {1, 5, 10.02f, 0.02f, false, 1}},    // never delayed
      {"ER", 11, {1, 5, 10, 0, false, 0}, {1, 5, 10.02f, 0.02f, false, 1}},  // nothing moves
  };
  const auto near = [](float value) { return std::round(value * 1000) / 1000; };
  constexpr std::uint32_t kClockStart = 0xFFFFFFFAu;
  for (const auto& [keys, ms, from, to] : cases) {
    World world = startWorld();
    handleInput(world, HeldKeys{}, kClockStart);
    std::tie(world.currentLevel, world.characterX, world.characterY, world.velocityY,
             world.onGround, world.quitRequested) = from;
    updatePhysics(world);
    world.quitRequested |= handleInput(world, keysOf(keys), kClockStart + ms);
    EXPECT_EQ(State(world.currentLevel, near(world.characterX), near(world.characterY),
                    near(world.velocityY), world.onGround, world.quitRequested),
              to)
        << keys << " after " << ms << " ms";
  }
}

// The start delay counts from the first input step, whatever the clock said then.
TEST(Rules, TheStartDelayCountsFromTheFirstInputStep) {
  World world = startWorld();
  EXPECT_EQ(handleInput(world, keysOf("R"), 5000), 0);
  EXPECT_EQ(handleInput(world, keysOf("R"), 5010), 0);
  EXPECT_EQ(world.characterX, kStartX);
  handleInput(world, keysOf("R"), 5011);
  EXPECT_EQ(world.characterX, 10.2f);
  EXPECT_EQ(world.inputStartMs, 5000u);
}

// y passes 1e12 and every frame converts it to a cell: for the sanitizer build.
TEST(Rules, FarOffCellsStayFarFromOverflowAndOutsideTheMapIsNoTile) {
  World world = startWorld();
  std::tie(world.currentLevel, world.characterX) = std::tuple(2, 15.2f);  // level 2's shaft
  for (int i = 0; i < 10000000 && !world.onGround; ++i)
    updatePhysics(world);
  EXPECT_GT(world.characterY, 1e12f);
  for (float far : {3e9f, -3e9f, INFINITY, NAN}) {
    const auto cell = std::abs(std::int64_t{cellIndex(far)});
    EXPECT_TRUE(cell > kMapSize && cell < 1 << 30) << far;
  }
  World elsewhere = startWorld();
  for (const auto& [level, row, column] :
       {std::tuple{1, -1, 0}, {1, 20, 0}, {1, 0, -1}, {1, 0, 20}, {3, 5, 5}, {0, 5, 5}}) {
    elsewhere.currentLevel = level;
    EXPECT_EQ(tileAt(elsewhere, row, column), kNoTile) << level << " " << row << " " << column;
  }
}

// A run of a key script, frame by frame as the game runs it.
struct ScriptedRun {
  KeyScript script;
  World world;
  int frame = 0;
  std::vector<World> states;  // after each frame

  ScriptedRun(const std::string& path, std::shared_ptr<const LevelSet> levels)
      : world(startWorld(std::move(levels))) {
    std::string error;
    EXPECT_TRUE(loadKeyScript(path, script, error)) << error;
  }
  void step() {
    if (world.quitRequested != 0) {
      states.push_back(world);
      return;
    }
    updatePhysics(world);
    world.quitRequested |= handleInput(world, heldKeysAt(script, frame), scriptedMsAt(frame));
    states.push_back(world);
    ++frame;
  }
};

// Two worlds stepped side by side, as a ghost beside the player: from the same keys they stay
// equal, and from other keys each goes exactly as it goes alone.
TEST(Rules, WorldsSideBySideNeverTouchEachOther) {
  const std::string playthrough = EGGQUEST_PLAYTHROUGH_KEYS;
  const std::string sounds = EGGQUEST_REPLAYS_DIR "/sounds.keys";
  ScriptedRun alone(playthrough, nullptr), otherAlone(sounds, nullptr);
  for (int i = 0; i < 400; ++i) {
    alone.step();
    otherAlone.step();
  }
  ASSERT_NE(alone.states.back(), otherAlone.states.back());
  ASSERT_EQ(alone.states.back().currentLevel, 2) << "the playthrough reaches the second level";

  const auto levels = std::make_shared<const LevelSet>(builtInLevels());
  ScriptedRun first(playthrough, levels), same(playthrough, levels), other(sounds, levels);
  for (int i = 0; i < 400; ++i) {
    first.step();
    same.step();
    other.step();
    ASSERT_EQ(first.world, same.world) << "frame " << i;
    ASSERT_EQ(first.world, alone.states[i]) << "frame " << i;
    ASSERT_EQ(other.world, otherAlone.states[i]) << "frame " << i;
  }
  // Their level set is shared, and the rules never change it.
  EXPECT_EQ(other.world.levels, levels);
  EXPECT_EQ(*levels, builtInLevels());
}

// Frames at these ticks, across the clock's wrap: the smoothed rate after each, and whether the
// caption was to change.
TEST(FrameRate, AveragesEachIntervalLongerThan100MsWithTheLast) {
  FrameRate rate;
  const std::tuple<std::uint32_t, float, bool> frames[] = {
      {0, 0, false},       {50, 0, false},       {100, 0, false},       // exactly 100 ms: not yet
      {101, 14.85f, true}, {150, 14.85f, false}, {201, 14.85f, false},  // 3 frames in 101 ms
      {202, 22.28f, true},    // 3 in the 101 ms since: the updating frame is the first
      {5202, 11.24f, true}};  // a frame of five seconds: a small rate, still averaged
  for (const auto& [ms, fps, shown] : frames) {
    EXPECT_EQ(updateFrameRate(rate, 0xFFFFFFF0u + ms), shown) << ms;
    EXPECT_NEAR(rate.smoothedFps, fps, 0.005f) << ms;
  }
  char caption[kCaptionSize];
  formatCaption(rate.smoothedFps, caption);
  EXPECT_STREQ(caption, "OpenGL Demo - 11.24 ");
}

}  // namespace
