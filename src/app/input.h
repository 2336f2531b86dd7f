// A gamepad's state as the game reads it, in SDL's game-controller layout; settings.h binds its
// buttons to the game's actions.
#pragma once

#include <SDL.h>

// A pad as SDL's game-controller layout reports it; the buttons the game uses, by number.
constexpr int kPadButtonA = 0;  // the bottom face button
constexpr int kPadButtonBack = 4;
constexpr int kPadButtonUp = 11;
constexpr int kPadButtonDown = 12;
constexpr int kPadButtonLeft = 13;
constexpr int kPadButtonRight = 14;
constexpr int kPadButtons = 15;
constexpr int kPadStickX = 0;  // the left stick's axes
constexpr int kPadStickY = 1;
// Past half its travel the stick walks, as on the page: a stick resting a little off centre, or
// pushed mostly up for a jump, does not.
constexpr Sint16 kStickDeadZone = 16384;

struct PadState {
  bool connected = false;
  Uint8 buttons[kPadButtons] = {};
  Sint16 stickX = 0;
  Sint16 stickY = 0;
};
