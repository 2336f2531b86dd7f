// The gamepad's game keys, merged with the keyboard's.
#include "app/input.h"

#include <cstring>
#include <initializer_list>

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

void mergeHeldKeys(const Uint8* keyboard, const PadState& pad, Uint8* merged) {
  if (keyboard != nullptr) {
    std::memcpy(merged, keyboard, SDLK_LAST);
  } else {
    std::memset(merged, 0, SDLK_LAST);
  }
  for (SDLKey key : {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_ESCAPE}) {
    if (padHolds(pad, key)) {
      merged[key] = 1;
    }
  }
}
