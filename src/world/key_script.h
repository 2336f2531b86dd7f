// Key scripts: which of the game's keys are held in which frames of a run, as text.
//
// One range per line, frames counted from 0; '#' starts a comment:
//   FIRST[-LAST] KEY [KEY...]     with keys Left, Right, Up and Escape
// The keys of all ranges that hold a frame are held together in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

struct KeyRange {
  int first = 0;
  int last = 0;
  HeldKeys keys;
};

struct KeyScript {
  std::vector<KeyRange> ranges;
};

// Reads a script's text; on a malformed line, false with the line number and the fault in error.
bool parseKeyScript(const std::string& text, KeyScript& script, std::string& error);
bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error);

// The last frame any range holds a key in: a replay runs up to it.
int lastScriptedFrame(const KeyScript& script);

// The keys held in frame.
HeldKeys heldKeysAt(const KeyScript& script, int frame);

// The millisecond clock a scripted run hands the input step: the start delay covers exactly its
// frame 0, on every machine and in every replay of it.
std::uint32_t scriptedMsAt(int frame);
