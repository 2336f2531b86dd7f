// The gamepad through SDL 1.2's joystick functions, polled: in the game-controller layout SDL
// sends no joystick events.
#include "app/gamepad.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr Uint32 kRescanIntervalMs = 1000;

SDL_Joystick* openPad = nullptr;
Uint32 lastScanTicks = 0;

bool holdsAnything(const PadState& pad) {
  for (Uint8 button : pad.buttons) {
    if (button != 0) {
      return true;
    }
  }
  return padHolds(pad, SDLK_LEFT) || padHolds(pad, SDLK_RIGHT);
}

}  // namespace

PadState gamepad;

void chooseGamepadLayout() {
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
}

void openGamepad() {
  lastScanTicks = SDL_GetTicks();
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
    return;
  }
  if (SDL_NumJoysticks() > 0) {
    openPad = SDL_JoystickOpen(0);
  }
}

void readGamepad() {
  gamepad = PadState{};
  if (openPad == nullptr) {
    return;
  }
  SDL_JoystickUpdate();
  gamepad.connected = true;
  const int buttons = SDL_JoystickNumButtons(openPad);
  for (int button = 0; button < kPadButtons && button < buttons; ++button) {
    gamepad.buttons[button] = SDL_JoystickGetButton(openPad, button);
  }
  if (SDL_JoystickNumAxes(openPad) > kPadStickY) {
    gamepad.stickX = SDL_JoystickGetAxis(openPad, kPadStickX);
    gamepad.stickY = SDL_JoystickGetAxis(openPad, kPadStickY);
  }
}

void rescanGamepads() {
  const Uint32 now = SDL_GetTicks();
  if (static_cast<Sint32>(now - lastScanTicks) < static_cast<Sint32>(kRescanIntervalMs) ||
      (openPad != nullptr && holdsAnything(gamepad))) {
    return;
  }
  // An unplugged pad stays open and reads as holding nothing, so it is looked past the same way.
  openPad = nullptr;
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  openGamepad();
}
