// The first gamepad SDL knows, read each frame; one plugged in later is found within two seconds.
#pragma once

#include <SDL.h>

#include "app/input.h"

struct Gamepad {
  SDL_Joystick* open = nullptr;
  Uint32 lastScanTicks = 0;
  PadState state;  // what the open pad holds; not connected while there is none
};

// Asks SDL to lay out every pad it knows the same way (SDL's game-controller layout), unless the
// player has chosen otherwise; before SDL starts.
void chooseGamepadLayout();

// Starts SDL's joysticks and opens the first pad, if any; without them the game plays on.
void openGamepad(Gamepad& pad);

// Reads the open pad into its state: once a frame, after the event pump.
void readGamepad(Gamepad& pad);

// While no pad is open or the open one holds nothing, looks for pads again about once a second:
// SDL 1.2 learns of new ones only when its joysticks start. Between frames, after the swap.
void rescanGamepads(Gamepad& pad);
