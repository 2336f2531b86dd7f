// The tile set's names and files, the two built-in level maps, the start of a world, and the one
// safe way to read a level.
#include <cmath>
#include <utility>

#include "world/world.h"

const TileSetEntry tileSet[kTileCodes] = {
    {"Ground1", "ground01.tga", "Soil and stones", "nothing: the chicken falls through"},
    {"Ground2", "ground02.tga", "Grass on soil", "solid: the chicken lands on it"},
    {"Skies", "sky.tga", "Sky", "nothing"},
    {"Mountain transition", "mountain01.tga", "Far hills", "nothing"},
    {"Cloud_notTile", "cloud.tga", "Cloud", "nothing"},
    {"Chicken", "character.tga", "Chicken", "nothing: a picture, not a second chicken"},
    {"Sun_notTile", "sun.tga", "Sun", "nothing"},
    {"Mountain_notTile", "mountain.tga", "Snowy peak", "nothing"},
    {"Mountain", "mountain02.tga", "Mountains", "nothing"},
    {"Egg", "egg.tga", "Egg", "goal: the next level, or the end"},
};

const char* const kTimerDigitsFile = "digits.tga";
const char kTimerGlyphs[] = "0123456789.%";

// clang-format off
const std::int32_t level1Map[kMapSize][kMapSize] = {
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 9, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

const std::int32_t level2Map[kMapSize][kMapSize] = {
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 2, 9, 2},
    {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0, 3, 3, 3, 3},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};
// clang-format on

namespace {

Level levelFrom(const std::int32_t (&map)[kMapSize][kMapSize]) {
  Level level{};
  for (int row = 0; row < kMapSize; ++row) {
    for (int column = 0; column < kMapSize; ++column) {
      level[row][column] = map[row][column];
    }
  }
  return level;
}

}  // namespace

LevelSet builtInLevels() {
  return {levelFrom(level1Map), levelFrom(level2Map)};
}

bool operator==(const HeldKeys& a, const HeldKeys& b) {
  return a.left == b.left && a.right == b.right && a.up == b.up && a.escape == b.escape;
}

bool operator==(const World& a, const World& b) {
  const bool sameLevels = a.levels == b.levels || (a.levels && b.levels && *a.levels == *b.levels);
  return sameLevels && a.currentLevel == b.currentLevel && a.characterX == b.characterX &&
         a.characterY == b.characterY && a.velocityY == b.velocityY && a.onGround == b.onGround &&
         a.quitRequested == b.quitRequested && a.goalReached == b.goalReached &&
         a.inputClockStarted == b.inputClockStarted && a.inputStartMs == b.inputStartMs;
}

bool operator!=(const World& a, const World& b) {
  return !(a == b);
}

World startWorld(std::shared_ptr<const LevelSet> levels) {
  World world;
  world.levels = levels ? std::move(levels) : std::make_shared<const LevelSet>(builtInLevels());
  return world;
}

int levelCount(const World& world) {
  return world.levels ? static_cast<int>(world.levels->size()) : 0;
}

int cellIndex(float position) {
  // Far enough outside the map for every rule, and far from overflowing when a rule adds one.
  constexpr float kFarCell = 1048576.0f;
  if (std::isnan(position)) {
    return static_cast<int>(kFarCell);
  }
  if (position >= kFarCell) {
    return static_cast<int>(kFarCell);
  }
  if (position <= -kFarCell) {
    return -static_cast<int>(kFarCell);
  }
  return static_cast<int>(position);
}

int tileAt(const World& world, int row, int column) {
  if (row < 0 || row >= kMapSize || column < 0 || column >= kMapSize) {
    return kNoTile;
  }
  if (world.currentLevel < 1 || world.currentLevel > levelCount(world)) {
    return kNoTile;
  }
  return (*world.levels)[world.currentLevel - 1][row][column];
}
