// Emscripten's SDL 1.2 headers leave out SDL_GetKeyState, which its library implements.
#pragma once

#include <SDL.h>

extern "C" Uint8* SDL_GetKeyState(int* numkeys);
