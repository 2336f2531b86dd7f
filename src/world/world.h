// The game world as one value: the levels being played, the character and where the game stands,
// stepped once a frame by the rules from the held keys and the time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int kMapSize = 20;  // rows and columns of a level; one tile is one world unit
constexpr int kTileCodes = 10;

// Tile codes are indices into the tile set; two of them also mean something to the rules.
constexpr int kSolidTile = 1;
constexpr int kEggTile = 9;
constexpr int kCharacterTile = 5;  // the chicken's own picture, used by neither level
constexpr int kNoTile = -1;        // what lies outside the map: neither solid nor egg

// Each tile code's picture and what it is to the rules, written here alone: the tile set loads
// the images by name, the build draws them, and the page's editor labels its tiles from here.
struct TileSetEntry {
  const char* name;      // the texture's label
  const char* fileName;  // the image, in the working directory
  const char* picture;   // what a player sees
  const char* rule;      // what it does to the chicken
};
extern const TileSetEntry tileSet[kTileCodes];

// The time trial's timer is drawn from one image of these glyphs side by side, each as wide as
// the next, loaded like the tiles.
extern const char* const kTimerDigitsFile;
extern const char kTimerGlyphs[];

extern const std::int32_t level1Map[kMapSize][kMapSize];
extern const std::int32_t level2Map[kMapSize][kMapSize];

// A level's tile codes by [row][column], row 0 at the top.
using Level = std::array<std::array<std::int32_t, kMapSize>, kMapSize>;
// Levels played in order: the egg of each leads to the next, the last one's ends the game.
using LevelSet = std::vector<Level>;
// level1Map and level2Map, the game's own set.
LevelSet builtInLevels();

// The top-left corner of the character's one-unit square at the start, y growing downwards: the
// cell in row 10, column 10 of the first level.
constexpr float kStartX = 10.0f;
constexpr float kStartY = 10.0f;

// The rules step once a frame, by amounts tuned for this many frames a second.
constexpr int kGameFramesPerSecond = 60;

// Movement keys take effect only once this long has passed since the first input step, so the
// keys that started the game do not move it yet. Escape is never delayed.
constexpr std::int32_t kStartDelayMs = 10;

// The game's four keys, as the shell found them held for a frame.
struct HeldKeys {
  bool left = false;
  bool right = false;
  bool up = false;
  bool escape = false;
};
bool operator==(const HeldKeys& a, const HeldKeys& b);

// Everything the rules read and write. Worlds share their level set, which nothing changes, so a
// world is cheap to copy and two worlds stepped side by side never touch each other.
struct World {
  std::shared_ptr<const LevelSet> levels;
  std::int32_t currentLevel = 1;  // 1, then one more at each egg but the last level's
  float characterX = kStartX;
  float characterY = kStartY;
  float velocityY = 0.0f;    // units per frame, negative is upwards
  bool onGround = false;     // may jump
  int quitRequested = 0;     // non-zero: the game has ended, after the frame in progress
  bool goalReached = false;  // it ended at the last level's egg
  // The input step's reference time, taken at its first call.
  bool inputClockStarted = false;
  std::uint32_t inputStartMs = 0;
};
bool operator==(const World& a, const World& b);  // the same set, by value, and the same state
bool operator!=(const World& a, const World& b);

// A world at the start of a run of levels; the game's own set when given none.
World startWorld(std::shared_ptr<const LevelSet> levels = nullptr);

// The number of levels the world plays.
int levelCount(const World& world);

// The cell holding a position, truncated towards zero; far-off positions (a fall that has lasted
// an hour) give far-off cells instead of overflowing.
int cellIndex(float position);

// The tile of the world's current level at (row, column); kNoTile outside the map.
int tileAt(const World& world, int row, int column);

// Gravity, landing, the level change and the goal: once per frame, after drawing.
void updatePhysics(World& world);
// Escape, walking and jumping from the keys held, msNow being the shell's millisecond clock:
// once per frame, after the event pump. Returns 1 when the game should end.
int handleInput(World& world, const HeldKeys& keys, std::uint32_t msNow);
