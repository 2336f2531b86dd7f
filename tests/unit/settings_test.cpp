// The player's settings: good files read, every refusal named with its place while the rest of
// the file still counts, the text written and read back, and the bindings merged with the pad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"

namespace {

std::vector<std::string> read(const std::string& text, Settings& settings) {
  std::vector<std::string> messages;
  readSettings(text, "s.txt", settings, messages);
  return messages;
}

TEST(Settings, AGoodFileBindsKeysAndButtonsAndSetsSpeedAndVolume) {
  Settings settings = defaultSettings();
  const std::string file =
      "# mine\n"
      "left = Left, a\n"
      "right = Right, d\n"
      "jump = Up, w, space\n"
      "quit = Escape\n"
      "pad jump = A, B\n"
      "  Pad  Quit=start , BACK\n"
      "speed = 75\n"
      "volume = 60\n";
  EXPECT_EQ(read(file, settings), std::vector<std::string>{});
  EXPECT_EQ(settings.keys[kLeftAction], (std::vector<SDLKey>{SDLK_LEFT, SDLK_a}));
  EXPECT_EQ(settings.keys[kJumpAction], (std::vector<SDLKey>{SDLK_UP, SDLK_w, SDLK_SPACE}));
  EXPECT_EQ(settings.padButtons[kJumpAction], (std::vector<int>{kPadButtonA, 1}));
  EXPECT_EQ(settings.padButtons[kQuitAction], (std::vector<int>{6, kPadButtonBack}));
  EXPECT_EQ(settings.padButtons[kLeftAction], std::vector<int>{kPadButtonLeft});  // default
  EXPECT_EQ(settings.speed, 75);
  EXPECT_EQ(settings.volume, 60);
  EXPECT_EQ(settings.sources[0], "s.txt:2");
  EXPECT_EQ(settings.sources[4], "default");
  EXPECT_EQ(settings.sources[7], "s.txt:7");
  // What editors write reads the same: a byte-order mark, CRLF line ends, blanks at the ends.
  Settings again = defaultSettings();
  std::string crlf = "\xEF\xBB\xBF";
  for (const char c : file) {
    crlf += c == '\n' ? std::string(" \t\r\n") : std::string(1, c);
  }
  EXPECT_EQ(read(crlf, again), std::vector<std::string>{});
  EXPECT_EQ(again.keys, settings.keys);
  EXPECT_EQ(again.padButtons, settings.padButtons);
  // Written out, the settings read back as they are.
  Settings written = defaultSettings();
  EXPECT_EQ(read(writeSettings(settings), written), std::vector<std::string>{});
  EXPECT_EQ(written.keys, settings.keys);
  EXPECT_EQ(written.padButtons, settings.padButtons);
  EXPECT_EQ(written.speed, 75);
  EXPECT_EQ(written.volume, 60);
}

// Each refusal names its place; the setting keeps what it had and every other line counts.
TEST(Settings, EveryRefusalIsNamedWithItsPlace) {
  Settings settings = defaultSettings();
  const std::vector<std::string> messages = read(
      "speed = 60\n"
      "volume = 101\n"
      "jump = w, Zap\n"
      "lift = a\n"
      "left\n"
      "pad jump = A, C\n"
      "right = d,, e\n"
      "caf\xC3\xA9 = 1\n"
      "jump\x01 = w\n"
      "volume = 30\n",
      settings);
  const std::vector<std::string> want = {
      "s.txt:1:9: speed is 50, 75 or 100, not '60'; the game plays at 100",
      "s.txt:2:10: volume is 0 to 100, not '101'; it stays 100",
      "s.txt:3:11: unknown key 'Zap' (SDL's key names: a, 1, space, left, escape...); jump keeps "
      "its keys",
      "s.txt:4:1: unknown setting 'lift' (left, right, jump, quit, pad left, pad right, pad jump, "
      "pad quit, speed, volume)",
      "s.txt:5:1: expected 'name = value'",
      "s.txt:6:15: unknown pad button 'C' (A, B, X, Y, Back, Start, Left shoulder, Right "
      "shoulder, D-pad up, D-pad down, D-pad left, D-pad right); pad jump keeps its keys",
      "s.txt:7:11: no key between commas; right keeps its keys",
      "s.txt:8:4: found byte 0xC3, which no setting has; the line is left out",
      "s.txt:9:5: found byte 0x01, which no setting has; the line is left out",
  };
  EXPECT_EQ(messages, want);
  EXPECT_EQ(settings.keys, defaultSettings().keys);
  EXPECT_EQ(settings.speed, 100);
  EXPECT_EQ(settings.volume, 30);
  // Every byte value, anywhere in a line, is read or refused without harm.
  for (int byte = 0; byte < 256; ++byte) {
    Settings any = defaultSettings();
    std::vector<std::string> said;
    const std::string text = "jump = w" + std::string(1, static_cast<char>(byte)) + "\n";
    readSettings(text, "s.txt", any, said);
    EXPECT_TRUE(any.keys[kJumpAction] == std::vector<SDLKey>{SDLK_w} || !said.empty()) << byte;
  }
  // A file too large for any settings is refused whole.
  Settings large = defaultSettings();
  EXPECT_EQ(read(std::string(70 * 1024, '#'), large),
            std::vector<std::string>{"s.txt: is larger than 64 KB, more than any settings file "
                                     "needs; the game plays with the defaults"});
}

// A key does one action: the earlier line keeps it, and a line beats a default. Escape always
// quits.
TEST(Settings, AKeyForTwoActionsAndEscapeAreSettled) {
  Settings settings = defaultSettings();
  const std::vector<std::string> messages = read(
      "left = a, Left\n"
      "right = a, d\n"
      "jump = left, space\n"
      "quit = q\n"
      "pad jump = Back\n",
      settings);
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "s.txt:2: a is bound to left already (line 1), which keeps it",
                          "s.txt:3: Left is bound to left already (line 1), which keeps it",
                          "s.txt:4: quit has no Escape; Escape still quits, so that no one is "
                          "locked in"}));
  EXPECT_EQ(settings.keys[kRightAction], std::vector<SDLKey>{SDLK_d});
  EXPECT_EQ(settings.keys[kJumpAction], std::vector<SDLKey>{SDLK_SPACE});
  EXPECT_EQ(settings.keys[kQuitAction], (std::vector<SDLKey>{SDLK_ESCAPE, SDLK_q}));
  // The file's pad jump takes Back from the default pad quit, silently: the player chose it.
  EXPECT_EQ(settings.padButtons[kQuitAction], std::vector<int>{});
  EXPECT_EQ(settings.padButtons[kJumpAction], std::vector<int>{kPadButtonBack});
  Settings escaped = defaultSettings();
  EXPECT_EQ(read("left = Escape, a\n", escaped),
            std::vector<std::string>{
                "s.txt:1: Escape quits, whatever the settings say; left does without it"});
  EXPECT_EQ(escaped.keys[kLeftAction], std::vector<SDLKey>{SDLK_a});
  EXPECT_EQ(escaped.keys[kQuitAction], std::vector<SDLKey>{SDLK_ESCAPE});
}

// The names are SDL's own, each a different key, each with the place a browser knows it by.
TEST(Settings, KeyNamesAreSdlsOwn) {
  for (const KeyName& key : kKeyNames) {
    EXPECT_STREQ(key.name, SDL_GetKeyName(key.key));
    for (const KeyName& other : kKeyNames) {
      EXPECT_TRUE(&key == &other || (key.key != other.key && std::string(key.code) != other.code))
          << key.name << " " << other.name;
    }
  }
}

// The bindings, merged with the pad: either holds an action, and the stick walks whatever they
// say.
TEST(Settings, BindingsHoldTheGamesKeysFromTheKeyboardAndThePad) {
  Settings settings = defaultSettings();
  read("left = a\njump = w, space\npad jump = B\npad quit = Start\n", settings);
  Uint8 keyboard[SDLK_LAST] = {};
  PadState pad;
  pad.connected = true;
  const auto held = [&] {
    const HeldKeys keys = heldKeys(settings, keyboard, pad);
    return std::string(keys.left ? "L" : "") + (keys.right ? "R" : "") + (keys.up ? "U" : "") +
           (keys.escape ? "E" : "");
  };
  keyboard[SDLK_LEFT] = keyboard[SDLK_UP] = 1;  // no longer bound
  EXPECT_EQ(held(), "");
  keyboard[SDLK_a] = keyboard[SDLK_SPACE] = keyboard[SDLK_ESCAPE] = 1;
  EXPECT_EQ(held(), "LUE");
  keyboard[SDLK_a] = keyboard[SDLK_SPACE] = keyboard[SDLK_ESCAPE] = 0;
  pad.buttons[kPadButtonA] = 1;  // no longer bound
  pad.buttons[1] = pad.buttons[6] = 1;
  pad.stickX = 32767;
  EXPECT_EQ(held(), "RUE");
  pad.connected = false;  // unplugged: holds nothing
  EXPECT_EQ(held(), "");
  EXPECT_EQ(heldKeys(settings, nullptr, PadState{}), HeldKeys{});
  EXPECT_EQ(framesPerSecondAt(100), 60);
  EXPECT_EQ(framesPerSecondAt(75), 45);
  EXPECT_EQ(framesPerSecondAt(50), 30);
}

}  // namespace
