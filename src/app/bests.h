// Personal bests on the desktop: the best run of each level set, a key script in the player's
// data folder ($XDG_DATA_HOME/eggquest/, by default ~/.local/share/eggquest/), written whole or
// not at all. A file there that is not a best run of its levels is set aside, never trusted,
// never a reason not to play.
#pragma once

#include <memory>
#include <string>

#include "world/run.h"
#include "world/world.h"

// The folder of the bests, from the environment; empty when it names none (no HOME either).
std::string bestsFolder();

// The best's file of a level set in that folder, at a game speed (percent): each speed's apart.
std::string bestPath(const std::string& folder, const std::string& levelSetId, int speed = 100);

// A run read back: its keys, and the frames they take to the last egg, worked out anew.
struct KeptRun {
  KeyFrames keys;
  int frames = 0;
};

// The best kept at path for these levels: true when there is one that reaches their last egg
// with these rules. A missing file is no best and no message; a file that is not a best run of
// these levels is renamed aside, and message says so (it is empty otherwise).
bool loadBest(const std::string& path, std::shared_ptr<const LevelSet> levels, KeptRun& best,
              std::string& message);

// A run from a key script the player names: true when it is one and reaches these levels' last
// egg; otherwise message says why.
bool loadRun(const std::string& path, std::shared_ptr<const LevelSet> levels, KeptRun& run,
             std::string& message);

// Keeps text at path whole: a new file beside it, then a rename over the old, so that a full
// disk or a crash leaves the old best as it was. False with the reason in message.
bool keepBest(const std::string& path, const std::string& text, std::string& message);
