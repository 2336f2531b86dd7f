// The rules alone, stepped under a key script the way the replay tool runs the game.
#pragma once

#include <vector>

#include "key_script.h"

struct TraceLine {
  int frame;
  int level;
  float x;
  float y;
};

struct Simulation {
  std::vector<TraceLine> trace;  // what each frame draws: before its physics step
  int levelTwoFrame = -1;        // the first frame that draws level 2
  int endFrame = -1;             // the frame that ended the game, or -1
};

// Frame 0 runs at tick 0; every later frame runs after the 10 ms start delay, as in a replay.
Simulation simulate(const KeyScript& script);
