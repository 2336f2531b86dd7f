// The keyboard and the gamepad merged into the keys the rules read, by the default bindings.
#include <gtest/gtest.h>

#include <string>

#include "app/input.h"
#include "app/settings.h"

namespace {

// The game keys held, as "LRUE" letters, for a keyboard holding keys and a pad in a state.
std::string held(std::initializer_list<SDLKey> keyboardKeys, const PadState& pad) {
  Uint8 keyboard[SDLK_LAST] = {};
  for (SDLKey key : keyboardKeys) {
    keyboard[key] = 1;
  }
  const HeldKeys merged = heldKeys(defaultSettings(), keyboard, pad);
  std::string letters;
  for (auto [held, letter] : {std::pair(merged.left, 'L'), std::pair(merged.right, 'R'),
                              std::pair(merged.up, 'U'), std::pair(merged.escape, 'E')}) {
    if (held) {
      letters += letter;
    }
  }
  return letters;
}

HeldKeys keysHeld(bool left, bool right, bool up, bool escape) {
  HeldKeys keys;
  keys.left = left;
  keys.right = right;
  keys.up = up;
  keys.escape = escape;
  return keys;
}

PadState pad(std::initializer_list<int> buttons, Sint16 stickX = 0, Sint16 stickY = 0) {
  PadState state;
  state.connected = true;
  for (int button : buttons) {
    state.buttons[button] = 1;
  }
  state.stickX = stickX;
  state.stickY = stickY;
  return state;
}

TEST(Input, ThePadsButtonsAndStickHoldTheGameKeys) {
  EXPECT_EQ(held({}, pad({kPadButtonLeft})), "L");
  EXPECT_EQ(held({}, pad({kPadButtonRight, kPadButtonA})), "RU");
  EXPECT_EQ(held({}, pad({kPadButtonUp})), "U");
  EXPECT_EQ(held({}, pad({kPadButtonBack})), "E");
  EXPECT_EQ(held({}, pad({kPadButtonDown, 1, 2, 3})), "");  // buttons the game has no use for
  // The stick walks only past half its travel, and never jumps.
  EXPECT_EQ(held({}, pad({}, -32768)), "L");
  EXPECT_EQ(held({}, pad({}, 32767)), "R");
  EXPECT_EQ(held({}, pad({}, 9830, -32768)), "");  // resting at 30 %, pushed up
  EXPECT_EQ(held({}, pad({}, kStickDeadZone)), "");
  EXPECT_EQ(held({}, pad({}, kStickDeadZone + 1)), "R");
  // A pad no longer there holds nothing, whatever it last said.
  PadState unplugged = pad({kPadButtonRight, kPadButtonA}, -32768);
  unplugged.connected = false;
  EXPECT_EQ(held({}, unplugged), "");
}

TEST(Input, EitherSourceHoldsAKeyAndLettingGoOfOneNeverCancelsTheOther) {
  EXPECT_EQ(held({SDLK_RIGHT}, pad({kPadButtonRight})), "R");
  EXPECT_EQ(held({SDLK_RIGHT}, pad({})), "R");       // the pad let go
  EXPECT_EQ(held({}, pad({kPadButtonRight})), "R");  // the keyboard let go
  EXPECT_EQ(held({SDLK_LEFT, SDLK_ESCAPE}, pad({kPadButtonA})), "LUE");
  // Keys the game has no use for hold none of its keys.
  EXPECT_EQ(held({SDLK_a, SDLK_F11, SDLK_DOWN}, pad({})), "");
  // Before SDL's keys are first fetched, the pad alone.
  EXPECT_EQ(heldKeys(defaultSettings(), nullptr, pad({kPadButtonUp})),
            keysHeld(false, false, true, false));
}

}  // namespace
