// The game world: tile codes, the two levels, the character and the rules that move it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int kMapSize = 20;  // rows and columns of a level; one tile is one world unit
constexpr int kTileCodes = 10;

// Tile codes are indices into the tile set; two of them also mean something to the rules.
constexpr int kSolidTile = 1;
constexpr int kEggTile = 9;
constexpr int kCharacterTile = 5;  // the chicken's own picture, used by neither level
constexpr int kNoTile = -1;        // what lies outside the map: neither solid nor egg

struct TileSetEntry {
  const char* name;
  const char* fileName;
};
extern const TileSetEntry tileSet[kTileCodes];

extern const std::int32_t level1Map[kMapSize][kMapSize];
extern const std::int32_t level2Map[kMapSize][kMapSize];

// A level's tile codes by [row][column], row 0 at the top.
using Level = std::array<std::array<std::int32_t, kMapSize>, kMapSize>;
// The levels being played, in order: level1Map and level2Map unless the player chose others.
extern std::vector<Level> playedLevels;
// level1Map and level2Map, the game's own set.
std::vector<Level> builtInLevels();
extern std::int32_t currentLevel;  // 1, then one more at each egg but the last level's

// The top-left corner of the character's one-unit square, y growing downwards.
constexpr float kStartX = 10.0f;
constexpr float kStartY = 10.0f;
extern float characterX;
extern float characterY;
extern float velocityY;  // units per frame, negative is upwards
extern bool onGround;    // may jump

// Movement keys take effect only once this long has passed since the first input step, so the
// keys that started the game do not move it yet. Escape is never delayed.
constexpr std::int32_t kStartDelayMs = 10;

// The cell holding a position, truncated towards zero; far-off positions (a fall that has lasted
// an hour) give far-off cells instead of overflowing.
int cellIndex(float position);

// The tile of the given level of playedLevels at (row, column); kNoTile outside the map or for an
// unknown level.
int tileAt(int level, int row, int column);

// Gravity, landing, the level change and the goal: once per frame, after drawing.
void updatePhysics();
// Escape, walking and jumping, from the held keys: once per frame, after the event pump.
// Returns 1 when the game should end.
int handleInput();

// Puts the level, the character and the input clock back to the start of a run.
void resetWorld();
