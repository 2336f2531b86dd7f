// The player's settings: which keys and pad buttons do each of the game's four actions, the game's
// speed and the sound's volume. The desktop reads them from a text file of "name = value" lines
// (docs/SETTINGS.md), the page from its Settings panel, which writes and reads the same text; both
// take them through readSettings, so the same words are accepted and refused on both.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/input.h"
#include "world/world.h"

enum Action { kLeftAction, kRightAction, kJumpAction, kQuitAction, kActions };

// A key the settings can name: SDL's name for it, SDL 1.2's symbol, and where a browser finds
// it (KeyboardEvent.code). The game reads keys by their place on the keyboard (see main.cpp), so
// a name means the key at that place on a US keyboard: "w" is Z on a French one.
struct KeyName {
  const char* name;
  SDLKey key;
  const char* code;
};
constexpr int kKeyNameCount = 70;
extern const KeyName kKeyNames[kKeyNameCount];

// The pad's buttons by the game-controller names, at their numbers in SDL's layout.
struct PadButtonName {
  const char* name;
  int button;
  int standard;  // the button's number in a browser's standard gamepad mapping
};
constexpr int kPadButtonNameCount = 12;
extern const PadButtonName kPadButtonNames[kPadButtonNameCount];

constexpr int kSettingsCount =
    2 * kActions + 2;  // keys and pad buttons of each action, speed, volume
extern const char* const
    kSettingNames[kSettingsCount];  // "left" ... "pad left" ... "speed", "volume"

struct Settings {
  std::array<std::vector<SDLKey>, kActions> keys;
  std::array<std::vector<int>, kActions> padButtons;
  int speed = 100;   // percent of 60 frames a second: 100, 75 or 50
  int volume = 100;  // percent
  // Where each setting in force came from, by kSettingNames: "default", "FILE:LINE" or an option.
  std::array<std::string, kSettingsCount> sources;
};

// The game's own: the arrows and Escape; D-pad, A (and D-pad up) and Back; full speed and volume.
Settings defaultSettings();

// Reads settings text over settings, line by line: a setting that is refused keeps the value it
// had, and each refusal is a message in messages, "SOURCE:LINE:COLUMN: ...". Escape always
// quits, whatever the text says.
void readSettings(const std::string& text, const std::string& source, Settings& settings,
                  std::vector<std::string>& messages);

// The settings as text that readSettings reads back the same: every setting, one a line.
std::string writeSettings(const Settings& settings);

// The settings in force and where each came from, for --settings.
std::string describeSettings(const Settings& settings);

// The game's keys held, by the bindings, on the keyboard (SDL's held-key bytes, by SDLK_ value;
// null before SDL has any) or the pad; the pad's stick walks whatever the bindings.
HeldKeys heldKeys(const Settings& settings, const Uint8* keyboard, const PadState& pad);

// The settings file: $XDG_CONFIG_HOME/eggquest/settings.txt, by default
// ~/.config/eggquest/settings.txt; empty when the environment names no folder.
std::string settingsPath();

// Reads the file at path over settings, as readSettings does; a missing file is no message, one
// that cannot be read is one. The game never writes it.
void loadSettingsFile(const std::string& path, Settings& settings,
                      std::vector<std::string>& messages);

// Frames a second at the speed; the rules' frames stay as they are, only fewer come a second.
int framesPerSecondAt(int speed);
