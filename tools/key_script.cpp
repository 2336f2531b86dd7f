// Reading key scripts and looking up the keys of a frame.
#include "key_script.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct KeyName {
  const char* name;
  SDLKey key;
};

const KeyName kKeyNames[] = {
    {"Left", SDLK_LEFT}, {"Right", SDLK_RIGHT}, {"Up", SDLK_UP}, {"Escape", SDLK_ESCAPE}};

bool keyNamed(const std::string& name, SDLKey& key) {
  for (const KeyName& entry : kKeyNames) {
    if (name == entry.name) {
      key = entry.key;
      return true;
    }
  }
  return false;
}

// "12" or "12-40", both frames included.
bool parseFrames(const std::string& text, int& first, int& last) {
  std::istringstream in(text);
  char dash = 0;
  if (!(in >> first) || first < 0) {
    return false;
  }
  last = first;
  if (in >> dash && (dash != '-' || !(in >> last) || last < first)) {
    return false;
  }
  return in.eof() || in.peek() == EOF;
}

}  // namespace

bool parseKeyScript(std::istream& in, KeyScript& script, std::string& error) {
  script.ranges.clear();
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string frames;
    if (!(words >> frames)) {
      continue;
    }
    KeyRange range;
    if (!parseFrames(frames, range.first, range.last)) {
      error = "line " + std::to_string(number) + ": '" + frames + "' is not FIRST or FIRST-LAST";
      return false;
    }
    std::string name;
    int keys = 0;
    while (words >> name) {
      if (!keyNamed(name, range.key)) {
        error = "line " + std::to_string(number) + ": unknown key '" + name +
                "' (Left, Right, Up, Escape)";
        return false;
      }
      script.ranges.push_back(range);
      ++keys;
    }
    if (keys == 0) {
      error = "line " + std::to_string(number) + ": no key after the frames";
      return false;
    }
  }
  return true;
}

bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  return parseKeyScript(in, script, error);
}

int lastScriptedFrame(const KeyScript& script) {
  int last = 0;
  for (const KeyRange& range : script.ranges) {
    last = std::max(last, range.last);
  }
  return last;
}

void heldKeysAt(const KeyScript& script, int frame, Uint8* keys) {
  std::memset(keys, 0, SDLK_LAST);
  for (const KeyRange& range : script.ranges) {
    if (frame >= range.first && frame <= range.last) {
      keys[range.key] = 1;
    }
  }
}
