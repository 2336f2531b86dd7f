// Reading, writing and applying the player's settings.
#include "app/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/xdg.h"

namespace {

constexpr std::size_t kMostSettingsBytes = 64 * 1024;
constexpr int kSpeedSetting = 2 * kActions;
constexpr int kVolumeSetting = 2 * kActions + 1;
constexpr int kSpeeds[] = {50, 75, 100};
constexpr char kDefault[] = "default";

std::string lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The text between from and to without blanks at either end, and where it starts.
std::string trimmed(const std::string& text, std::size_t from, std::size_t to, std::size_t& start) {
  while (from < to && isBlank(text[from])) {
    ++from;
  }
  while (to > from && isBlank(text[to - 1])) {
    --to;
  }
  start = from;
  return text.substr(from, to - from);
}

// "pad  Jump" as "pad jump".
std::string settingName(const std::string& written) {
  std::string name;
  for (const char c : lowered(written)) {
    if (!isBlank(c)) {
      name += c;
    } else if (!name.empty() && name.back() != ' ') {
      name += ' ';
    }
  }
  return name;
}

std::string place(const std::string& source, int line, std::size_t column) {
  return source + ":" + std::to_string(line) + ":" + std::to_string(column + 1) + ": ";
}

std::string allSettingNames() {
  std::string names;
  for (const char* name : kSettingNames) {
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names;
}

// Each comma-separated word of value, and the column of each.
std::vector<std::pair<std::string, std::size_t>> words(const std::string& line, std::size_t from,
                                                       std::size_t to) {
  std::vector<std::pair<std::string, std::size_t>> found;
  while (from <= to) {
    std::size_t comma = line.find(',', from);
    if (comma == std::string::npos || comma > to) {
      comma = to;
    }
    std::size_t start = 0;
    found.emplace_back(trimmed(line, from, comma, start), start);
    from = comma + 1;
  }
  return found;
}

const KeyName* keyNamed(const std::string& name) {
  for (const KeyName& key : kKeyNames) {
    if (lowered(name) == key.name) {
      return &key;
    }
  }
  return nullptr;
}

const PadButtonName* padButtonNamed(const std::string& name) {
  for (const PadButtonName& button : kPadButtonNames) {
    if (lowered(name) == lowered(button.name)) {
      return &button;
    }
  }
  return nullptr;
}

std::string keyName(SDLKey key) {
  for (const KeyName& name : kKeyNames) {
    if (name.key == key) {
      std::string written = name.name;
      if (written.size() > 1 && written[0] >= 'a' && written[0] <= 'z') {
        written[0] = static_cast<char>(written[0] - 'a' + 'A');
      }
      return written;
    }
  }
  return "?";
}

std::string padButtonName(int button) {
  for (const PadButtonName& name : kPadButtonNames) {
    if (name.button == button) {
      return name.name;
    }
  }
  return "?";
}

// The line a setting's source names, or 0 for a default or an option.
int lineOf(const std::string& source) {
  const std::size_t colon = source.rfind(':');
  return colon == std::string::npos ? 0 : std::atoi(source.c_str() + colon + 1);
}

// A key or button can do one action: where two settings name it, a setting read from the text
// beats a default, and the earlier line the later one.
template <typename Value, typename Name>
void settleConflicts(std::array<std::vector<Value>, kActions>& bound, Settings& settings,
                     int firstSetting, Name name, std::vector<std::string>& messages) {
  for (int winner = 0; winner < kActions; ++winner) {
    for (int loser = 0; loser < kActions; ++loser) {
      const std::string& winnerSource = settings.sources[firstSetting + winner];
      const std::string& loserSource = settings.sources[firstSetting + loser];
      const int winnerLine = lineOf(winnerSource);
      const int loserLine = lineOf(loserSource);
      const bool wins =
          winner != loser && winnerLine != 0 && (loserLine == 0 || winnerLine < loserLine);
      if (!wins) {
        continue;
      }
      auto& lost = bound[loser];
      for (const Value value : bound[winner]) {
        const auto at = std::find(lost.begin(), lost.end(), value);
        if (at == lost.end()) {
          continue;
        }
        lost.erase(at);
        if (loserLine != 0) {
          messages.push_back(loserSource + ": " + name(value) + " is bound to " +
                             kSettingNames[firstSetting + winner] + " already (line " +
                             std::to_string(winnerLine) + "), which keeps it");
        }
      }
    }
  }
}

}  // namespace

const KeyName kKeyNames[kKeyNameCount] = {
    {"left", SDLK_LEFT, "ArrowLeft"},
    {"right", SDLK_RIGHT, "ArrowRight"},
    {"up", SDLK_UP, "ArrowUp"},
    {"down", SDLK_DOWN, "ArrowDown"},
    {"escape", SDLK_ESCAPE, "Escape"},
    {"space", SDLK_SPACE, "Space"},
    {"return", SDLK_RETURN, "Enter"},
    {"tab", SDLK_TAB, "Tab"},
    {"backspace", SDLK_BACKSPACE, "Backspace"},
    {"left shift", SDLK_LSHIFT, "ShiftLeft"},
    {"right shift", SDLK_RSHIFT, "ShiftRight"},
    {"left ctrl", SDLK_LCTRL, "ControlLeft"},
    {"right ctrl", SDLK_RCTRL, "ControlRight"},
    {"left alt", SDLK_LALT, "AltLeft"},
    {",", SDLK_COMMA, "Comma"},
    {".", SDLK_PERIOD, "Period"},
    {"/", SDLK_SLASH, "Slash"},
    {"'", SDLK_QUOTE, "Quote"},
    {"[", SDLK_LEFTBRACKET, "BracketLeft"},
    {"]", SDLK_RIGHTBRACKET, "BracketRight"},
    {"-", SDLK_MINUS, "Minus"},
    {"=", SDLK_EQUALS, "Equal"},
    {"`", SDLK_BACKQUOTE, "Backquote"},
    {"\\", SDLK_BACKSLASH, "Backslash"},
    {"a", SDLK_a, "KeyA"},
    {"b", SDLK_b, "KeyB"},
    {"c", SDLK_c, "KeyC"},
    {"d", SDLK_d, "KeyD"},
    {"e", SDLK_e, "KeyE"},
    {"f", SDLK_f, "KeyF"},
    {"g", SDLK_g, "KeyG"},
    {"h", SDLK_h, "KeyH"},
    {"i", SDLK_i, "KeyI"},
    {"j", SDLK_j, "KeyJ"},
    {"k", SDLK_k, "KeyK"},
    {"l", SDLK_l, "KeyL"},
    {"m", SDLK_m, "KeyM"},
    {"n", SDLK_n, "KeyN"},
    {"o", SDLK_o, "KeyO"},
    {"p", SDLK_p, "KeyP"},
    {"q", SDLK_q, "KeyQ"},
    {"r", SDLK_r, "KeyR"},
    {"s", SDLK_s, "KeyS"},
    {"t", SDLK_t, "KeyT"},
    {"u", SDLK_u, "KeyU"},
    {"v", SDLK_v, "KeyV"},
    {"w", SDLK_w, "KeyW"},
    {"x", SDLK_x, "KeyX"},
    {"y", SDLK_y, "KeyY"},
    {"z", SDLK_z, "KeyZ"},
    {"0", SDLK_0, "Digit0"},
    {"1", SDLK_1, "Digit1"},
    {"2", SDLK_2, "Digit2"},
    {"3", SDLK_3, "Digit3"},
    {"4", SDLK_4, "Digit4"},
    {"5", SDLK_5, "Digit5"},
    {"6", SDLK_6, "Digit6"},
    {"7", SDLK_7, "Digit7"},
    {"8", SDLK_8, "Digit8"},
    {"9", SDLK_9, "Digit9"},
    {"[0]", SDLK_KP0, "Numpad0"},
    {"[1]", SDLK_KP1, "Numpad1"},
    {"[2]", SDLK_KP2, "Numpad2"},
    {"[3]", SDLK_KP3, "Numpad3"},
    {"[4]", SDLK_KP4, "Numpad4"},
    {"[5]", SDLK_KP5, "Numpad5"},
    {"[6]", SDLK_KP6, "Numpad6"},
    {"[7]", SDLK_KP7, "Numpad7"},
    {"[8]", SDLK_KP8, "Numpad8"},
    {"[9]", SDLK_KP9, "Numpad9"},
};

const PadButtonName kPadButtonNames[kPadButtonNameCount] = {
    {"A", kPadButtonA, 0},
    {"B", 1, 1},
    {"X", 2, 2},
    {"Y", 3, 3},
    {"Back", kPadButtonBack, 8},
    {"Start", 6, 9},
    {"Left shoulder", 9, 4},
    {"Right shoulder", 10, 5},
    {"D-pad up", kPadButtonUp, 12},
    {"D-pad down", kPadButtonDown, 13},
    {"D-pad left", kPadButtonLeft, 14},
    {"D-pad right", kPadButtonRight, 15},
};

const char* const kSettingNames[kSettingsCount] = {"left",     "right",     "jump",     "quit",
                                                   "pad left", "pad right", "pad jump", "pad quit",
                                                   "speed",    "volume"};

Settings defaultSettings() {
  Settings settings;
  settings.keys = {std::vector<SDLKey>{SDLK_LEFT}, {SDLK_RIGHT}, {SDLK_UP}, {SDLK_ESCAPE}};
  settings.padButtons = {std::vector<int>{kPadButtonLeft},
                         {kPadButtonRight},
                         {kPadButtonA, kPadButtonUp},
                         {kPadButtonBack}};
  settings.sources.fill(kDefault);
  return settings;
}

void readSettings(const std::string& input, const std::string& source, Settings& settings,
                  std::vector<std::string>& messages) {
  if (input.size() > kMostSettingsBytes) {
    messages.push_back(source +
                       ": is larger than 64 KB, more than any settings file needs; the game "
                       "plays with the defaults");
    return;
  }
  // Editors on some systems begin a file with a byte-order mark.
  const std::string text = input.rfind("\xEF\xBB\xBF", 0) == 0 ? input.substr(3) : input;
  bool quitHasEscape = true;
  int number = 0;
  for (std::size_t lineStart = 0; lineStart < text.size();) {
    ++number;
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) {
      lineEnd = text.size();
    }
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    const auto odd = std::find_if(line.begin(), line.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return (byte < 0x20 && c != '\t') || byte >= 0x7F;
    });
    if (odd != line.end()) {
      char found[8];
      std::snprintf(found, sizeof found, "0x%02X", static_cast<unsigned char>(*odd));
      messages.push_back(place(source, number, odd - line.begin()) + "found byte " + found +
                         ", which no setting has; the line is left out");
      continue;
    }
    std::size_t start = 0;
    const std::string content = trimmed(line, 0, line.size(), start);
    if (content.empty() || content[0] == '#') {
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      messages.push_back(place(source, number, start) + "expected 'name = value'");
      continue;
    }
    std::size_t nameStart = 0;
    const std::string name = settingName(trimmed(line, 0, equals, nameStart));
    const auto setting = std::find(std::begin(kSettingNames), std::end(kSettingNames), name);
    if (setting == std::end(kSettingNames)) {
      messages.push_back(place(source, number, nameStart) + "unknown setting '" +
                         trimmed(line, 0, equals, nameStart) + "' (" + allSettingNames() + ")");
      continue;
    }
    const int index = static_cast<int>(setting - std::begin(kSettingNames));
    const std::string here = source + ":" + std::to_string(number);
    std::size_t valueStart = 0;
    const std::string value = trimmed(line, equals + 1, line.size(), valueStart);
    if (index == kSpeedSetting || index == kVolumeSetting) {
      const bool digits = !value.empty() && value.size() <= 3 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      const int amount = digits ? std::stoi(value) : -1;
      if (index == kSpeedSetting) {
        if (std::find(std::begin(kSpeeds), std::end(kSpeeds), amount) == std::end(kSpeeds)) {
          messages.push_back(place(source, number, valueStart) + "speed is 50, 75 or 100, not '" +
                             value + "'; the game plays at " + std::to_string(settings.speed));
          continue;
        }
        settings.speed = amount;
      } else {
        if (amount < 0 || amount > 100) {
          messages.push_back(place(source, number, valueStart) + "volume is 0 to 100, not '" +
                             value + "'; it stays " + std::to_string(settings.volume));
          continue;
        }
        settings.volume = amount;
      }
      settings.sources[index] = here;
      continue;
    }
    const bool pad = index >= kActions;
    std::vector<SDLKey> keys;
    std::vector<int> buttons;
    bool refused = false;
    if (!value.empty()) {
      for (const auto& [word, column] : words(line, valueStart, line.size())) {
        const KeyName* key = pad ? nullptr : keyNamed(word);
        const PadButtonName* button = pad ? padButtonNamed(word) : nullptr;
        if (key != nullptr) {
          keys.push_back(key->key);
        } else if (button != nullptr) {
          buttons.push_back(button->button);
        } else {
          messages.push_back(
              place(source, number, column) +
              (word.empty() ? std::string("no ") + (pad ? "button" : "key") + " between commas"
                            : std::string("unknown ") + (pad ? "pad button '" : "key '") + word +
                                  (pad ? "' (A, B, X, Y, Back, Start, Left shoulder, Right "
                                         "shoulder, D-pad up, D-pad down, D-pad left, D-pad right)"
                                       : "' (SDL's key names: a, 1, space, left, escape...)")) +
              "; " + name + " keeps its keys");
          refused = true;
          break;
        }
      }
    }
    if (refused) {
      continue;
    }
    if (pad) {
      settings.padButtons[index - kActions] = buttons;
    } else {
      settings.keys[index] = keys;
      if (index == kQuitAction) {
        quitHasEscape = std::find(keys.begin(), keys.end(), SDLK_ESCAPE) != keys.end();
      }
    }
    settings.sources[index] = here;
  }
  settleConflicts(settings.keys, settings, 0, keyName, messages);
  settleConflicts(settings.padButtons, settings, kActions, padButtonName, messages);
  // Escape on the keyboard always quits, so that no one is locked in.
  for (int action = 0; action < kQuitAction; ++action) {
    auto& keys = settings.keys[action];
    if (std::find(keys.begin(), keys.end(), SDLK_ESCAPE) != keys.end()) {
      keys.erase(std::find(keys.begin(), keys.end(), SDLK_ESCAPE));
      messages.push_back(settings.sources[action] + ": Escape quits, whatever the settings say; " +
                         kSettingNames[action] + " does without it");
    }
  }
  auto& quit = settings.keys[kQuitAction];
  if (std::find(quit.begin(), quit.end(), SDLK_ESCAPE) == quit.end()) {
    quit.insert(quit.begin(), SDLK_ESCAPE);
    if (!quitHasEscape) {
      messages.push_back(settings.sources[kQuitAction] +
                         ": quit has no Escape; Escape still quits, so that no one is locked in");
    }
  }
}

std::string writeSettings(const Settings& settings) {
  std::string text;
  for (int action = 0; action < kActions; ++action) {
    std::string keys;
    for (const SDLKey key : settings.keys[action]) {
      keys += (keys.empty() ? "" : ", ") + keyName(key);
    }
    text += std::string(kSettingNames[action]) + " = " + keys + "\n";
  }
  for (int action = 0; action < kActions; ++action) {
    std::string buttons;
    for (const int button : settings.padButtons[action]) {
      buttons += (buttons.empty() ? "" : ", ") + padButtonName(button);
    }
    text += std::string(kSettingNames[kActions + action]) + " = " + buttons + "\n";
  }
  text += "speed = " + std::to_string(settings.speed) + "\n";
  text += "volume = " + std::to_string(settings.volume) + "\n";
  return text;
}

std::string describeSettings(const Settings& settings) {
  const std::string text = writeSettings(settings);
  std::string described;
  int index = 0;
  for (std::size_t start = 0; start < text.size(); ++index) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    line.resize(std::max<std::size_t>(line.size(), 36), ' ');
    described += line + "  (" + settings.sources[index] + ")\n";
    start = end + 1;
  }
  return described;
}

HeldKeys heldKeys(const Settings& settings, const Uint8* keyboard, const PadState& pad) {
  bool held[kActions] = {};
  for (int action = 0; action < kActions; ++action) {
    for (const SDLKey key : settings.keys[action]) {
      held[action] |= keyboard != nullptr && keyboard[key] != 0;
    }
    for (const int button : settings.padButtons[action]) {
      held[action] |= pad.connected && pad.buttons[button] != 0;
    }
  }
  HeldKeys keys;
  keys.left = held[kLeftAction] || (pad.connected && pad.stickX < -kStickDeadZone);
  keys.right = held[kRightAction] || (pad.connected && pad.stickX > kStickDeadZone);
  keys.up = held[kJumpAction];
  keys.escape = held[kQuitAction];
  return keys;
}

std::string settingsPath() {
  const std::string config = baseDirectory("XDG_CONFIG_HOME", ".config");
  return config.empty() ? config : config + "/eggquest/settings.txt";
}

void loadSettingsFile(const std::string& path, Settings& settings,
                      std::vector<std::string>& messages) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (errno != ENOENT) {
      messages.push_back(path + ": cannot be read (" + std::strerror(errno) +
                         "); the game plays with the defaults");
    }
    return;
  }
  // One byte more than allowed tells a file that is too large, however large it is.
  std::string text(kMostSettingsBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    messages.push_back(path + ": cannot be read; the game plays with the defaults");
    return;
  }
  readSettings(text, path, settings, messages);
}

int framesPerSecondAt(int speed) {
  return kGameFramesPerSecond * speed / 100;
}
