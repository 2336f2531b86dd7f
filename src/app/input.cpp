// The gamepad's game keys, merged with the keyboard's.
#include "app/input.h"

bool padHolds(const PadState& pad, SDLKey key) {
  if (!pad.connected) {
    return false;
  }
  switch (key) {
    case SDLK_LEFT:
      return pad.buttons[kPadButtonLeft] != 0 || pad.stickX < -kStickDeadZone;
    case SDLK_RIGHT:
      return pad.buttons[kPadButtonRight] != 0 || pad.stickX > kStickDeadZone;
    case SDLK_UP:
      return pad.buttons[kPadButtonA] != 0 || pad.buttons[kPadButtonUp] != 0;
    case SDLK_ESCAPE:
      return pad.buttons[kPadButtonBack] != 0;
    default:
      return false;
  }
}

HeldKeys mergeHeldKeys(const Uint8* keyboard, const PadState& pad) {
  const auto held = [&](SDLKey key) {
    return (keyboard != nullptr && keyboard[key] != 0) || padHolds(pad, key);
  };
  HeldKeys keys;
  keys.left = held(SDLK_LEFT);
  keys.right = held(SDLK_RIGHT);
  keys.up = held(SDLK_UP);
  keys.escape = held(SDLK_ESCAPE);
  return keys;
}
