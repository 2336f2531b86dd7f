// The gamepad through SDL 1.2's joystick functions, polled: in the game-controller layout SDL
// sends no joystick events.
#include "app/gamepad.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr Uint32 kRescanIntervalMs = 1000;

bool holdsAnything(const PadState& pad) {
  for (Uint8 button : pad.buttons) {
    if (button != 0) {
      return true;
    }
  }
  return pad.stickX < -kStickDeadZone || pad.stickX > kStickDeadZone;
}

}  // namespace

void chooseGamepadLayout() {
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
}

void openGamepad(Gamepad& pad) {
  pad.lastScanTicks = SDL_GetTicks();
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
    return;
  }
  if (SDL_NumJoysticks() > 0) {
    pad.open = SDL_JoystickOpen(0);
  }
}

void readGamepad(Gamepad& pad) {
  pad.state = PadState{};
  if (pad.open == nullptr) {
    return;
  }
  SDL_JoystickUpdate();
  pad.state.connected = true;
  const int buttons = SDL_JoystickNumButtons(pad.open);
  for (int button = 0; button < kPadButtons && button < buttons; ++button) {
    pad.state.buttons[button] = SDL_JoystickGetButton(pad.open, button);
  }
  if (SDL_JoystickNumAxes(pad.open) > kPadStickY) {
    pad.state.stickX = SDL_JoystickGetAxis(pad.open, kPadStickX);
    pad.state.stickY = SDL_JoystickGetAxis(pad.open, kPadStickY);
  }
}

void rescanGamepads(Gamepad& pad) {
  const Uint32 now = SDL_GetTicks();
  if (static_cast<Sint32>(now - pad.lastScanTicks) < static_cast<Sint32>(kRescanIntervalMs) ||
      (pad.open != nullptr && holdsAnything(pad.state))) {
    return;
  }
  // An unplugged pad stays open and reads as holding nothing, so it is looked past the same way.
  pad.open = nullptr;
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  openGamepad(pad);
}
