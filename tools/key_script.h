// Key scripts: which keys are held in which frames of a replay.
//
// One range per line, frames counted from 0; '#' starts a comment:
//   FIRST[-LAST] KEY [KEY...]     with keys Left, Right, Up and Escape
// The keys of all ranges that hold a frame are held together in it.
#pragma once

#include <SDL.h>

#include <istream>
#include <string>
#include <vector>

struct KeyRange {
  int first = 0;
  int last = 0;
  SDLKey key = SDLK_UNKNOWN;
};

struct KeyScript {
  std::vector<KeyRange> ranges;
};

// Reads a script; on a malformed line, false with the line number and the fault in error.
bool parseKeyScript(std::istream& in, KeyScript& script, std::string& error);
bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error);

// The last frame any range holds a key in: a replay runs up to it.
int lastScriptedFrame(const KeyScript& script);

// Fills keys (SDLK_LAST bytes, indexed by key symbol) with the keys held in frame.
void heldKeysAt(const KeyScript& script, int frame, Uint8* keys);
