// The application shell's shared state: the end flag and the held keys.
#include "app/shell.h"

#include "app/frame_rate.h"

int quitRequested = 0;
Uint8* keyState = nullptr;

void resetShell() {
  quitRequested = 0;
  keyState = nullptr;
  resetFrameRate();
}
