// Level files: the levels a player makes, as text. A file holds 1 to 20 levels; each is 20 lines
// of 20 tile codes 0-9, levels are separated by a blank line, and a line starting with # is a
// comment. docs/LEVELS.md describes the format for players.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "world/world.h"

constexpr int kMaxLevels = 20;
constexpr std::size_t kMaxLevelFileBytes = 64 * 1024;

// The first thing wrong with a level text, and where: line and column count from 1, and are 0
// where the problem is with the whole text or the whole line.
struct LevelProblem {
  int line = 0;
  int column = 0;
  std::string message;
};

// Reads a level text into levels, all of it or nothing: on a problem, levels is left as it was.
bool readLevels(const std::string& text, std::vector<Level>& levels, LevelProblem& problem);

// "SOURCE:LINE:COLUMN: MESSAGE", leaving out what the problem has no place for.
std::string describeLevelProblem(const std::string& source, const LevelProblem& problem);

// The text readLevels reads back as the same levels.
std::string writeLevels(const std::vector<Level>& levels);

// Reads a level file, refusing what is not one (missing, a folder, too large, binary) with a
// message that names the file.
bool loadLevelFile(const char* path, std::vector<Level>& levels, std::string& message);
