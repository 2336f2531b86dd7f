// Runs: the keys held in each frame of a play from the start of a level set. The rules turn the
// same keys into the same frames everywhere, so a run is its keys: a time trial records them, a
// best keeps them as a key script, a ghost replays them and a link carries them, and each time
// the run's time is worked out anew by playing it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "world/key_script.h"
#include "world/world.h"

// What the rules do with the keys changes only with this number: a run made with other rules
// would part ways with the levels, so it is not raced.
constexpr int kRulesVersion = 1;

// Longer runs are refused: an hour of frames.
constexpr int kLongestRunFrames = 60 * 60 * kGameFramesPerSecond;

// The keys of frame 0, 1, 2...
using KeyFrames = std::vector<HeldKeys>;

// What a run comes to, played from the start of its levels.
struct RunResult {
  bool finished = false;    // the last egg was reached
  int frames = 0;           // frames played, the first and the egg's included
  std::vector<int> splits;  // the frames of each level reached, in order
};

RunResult playRun(std::shared_ptr<const LevelSet> levels, const KeyFrames& keys);

// A script's keys, frame by frame up to its last.
KeyFrames keyFramesOf(const KeyScript& script);

// The key script of a finished run, with a comment naming its levels and the rules it was made
// with; it ends with an Escape one frame after the last egg, which only closes the script.
std::string writeRunScript(const KeyFrames& keys, const std::string& levelSetId, int frames);

// Reads the levels' id and the rules' version from a run script's comment; false if it has none.
bool runScriptMadeFor(const std::string& text, std::string& levelSetId, int& rulesVersion);

// A level set's identity: its tiles alone, whatever file, name or comments it came with.
std::string levelSetId(const LevelSet& levels);

// Frames as seconds at 60 a second, to the hundredth: 741 frames are "12.35".
std::string formatTime(int frames);

// A time trial in progress: the frames counted, the player's keys kept, the splits, and the
// ghost, a world of its own stepped through the frames by another run's keys.
struct TimeTrial {
  int frames = 0;
  KeyFrames keys;
  std::vector<int> splits;
  bool hasGhost = false;
  World ghost;
  KeyFrames ghostKeys;
};

// A trial of these levels, raced against the given run's keys when there are any.
TimeTrial startTrial(std::shared_ptr<const LevelSet> levels, const KeyFrames* ghostKeys);

// After each frame of the player's: counts it for the level it showed, keeps the keys the player
// held, and steps the ghost through the same frame.
void countTrialFrame(TimeTrial& trial, int levelShown, const HeldKeys& keys);

// Whether the ghost is in the level being shown, and so drawn.
bool ghostShown(const TimeTrial& trial, const World& player);
