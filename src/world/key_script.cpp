// Reading key scripts and looking up the keys of a frame; C's files and no streams, so that the
// page can read runs without bringing in the streams' locales.
#include "world/key_script.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Far more than a run of an hour at 60 frames a second, and far from overflowing an int.
constexpr int kMaxFrameDigits = 9;
// A script of a key change every frame for an hour is about 4 MB.
constexpr std::size_t kMaxScriptBytes = 8 * 1024 * 1024;

struct KeyName {
  const char* name;
  bool HeldKeys::*key;
};

const KeyName kKeyNames[] = {{"Left", &HeldKeys::left},
                             {"Right", &HeldKeys::right},
                             {"Up", &HeldKeys::up},
                             {"Escape", &HeldKeys::escape}};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The line's words, separated by blanks.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isBlank(line[at])) {
      ++at;
    }
    const std::size_t start = at;
    while (at < line.size() && !isBlank(line[at])) {
      ++at;
    }
    if (at > start) {
      words.push_back(line.substr(start, at - start));
    }
  }
  return words;
}

bool parseNumber(const std::string& text, std::size_t from, std::size_t to, int& number) {
  if (to <= from || to - from > kMaxFrameDigits) {
    return false;
  }
  number = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    number = number * 10 + (text[i] - '0');
  }
  return true;
}

// "12" or "12-40", both frames included.
bool parseFrames(const std::string& text, int& first, int& last) {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) {
    return parseNumber(text, 0, text.size(), first) && (last = first, true);
  }
  return parseNumber(text, 0, dash, first) && parseNumber(text, dash + 1, text.size(), last) &&
         last >= first;
}

}  // namespace

bool parseKeyScript(const std::string& text, KeyScript& script, std::string& error) {
  script.ranges.clear();
  std::size_t lineStart = 0;
  for (int number = 1; lineStart < text.size(); ++number) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) {
      lineEnd = text.size();
    }
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    line = line.substr(0, line.find('#'));
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty()) {
      continue;
    }
    const std::string where = "line " + std::to_string(number) + ": ";
    KeyRange range;
    if (!parseFrames(words[0], range.first, range.last)) {
      error = where + "'" + words[0] + "' is not FIRST or FIRST-LAST";
      return false;
    }
    if (words.size() == 1) {
      error = where + "no key after the frames";
      return false;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
      const KeyName* found = std::find_if(std::begin(kKeyNames), std::end(kKeyNames),
                                          [&](const KeyName& key) { return words[i] == key.name; });
      if (found == std::end(kKeyNames)) {
        error = where + "unknown key '" + words[i] + "' (Left, Right, Up, Escape)";
        return false;
      }
      range.keys.*(found->key) = true;
    }
    script.ranges.push_back(range);
  }
  return true;
}

bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  // One byte more than allowed tells a file that is too large, however large it is.
  std::string text(kMaxScriptBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file.get()));
  if (std::ferror(file.get()) != 0) {
    error = "cannot read " + path;
    return false;
  }
  if (text.size() > kMaxScriptBytes) {
    error = "is larger than 8 MB, more than any key script needs";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = "is a binary file, not a key script";
    return false;
  }
  return parseKeyScript(text, script, error);
}

int lastScriptedFrame(const KeyScript& script) {
  int last = 0;
  for (const KeyRange& range : script.ranges) {
    last = std::max(last, range.last);
  }
  return last;
}

HeldKeys heldKeysAt(const KeyScript& script, int frame) {
  HeldKeys keys;
  for (const KeyRange& range : script.ranges) {
    if (frame >= range.first && frame <= range.last) {
      keys.left |= range.keys.left;
      keys.right |= range.keys.right;
      keys.up |= range.keys.up;
      keys.escape |= range.keys.escape;
    }
  }
  return keys;
}

std::uint32_t scriptedMsAt(int frame) {
  return frame == 0 ? 0 : static_cast<std::uint32_t>(kStartDelayMs) + 1;
}
