// Start-up of the OpenGL scene and the one frame that the game repeats until it ends.
#pragma once

#include <SDL.h>

// Starts SDL, opens the 800 x 600 OpenGL window (filling the screen, scaled at 4:3, when
// fullscreen) and sets up the scene. Returns 0 when the game can run, else the exit status to end
// with, its message already on standard error.
int startGame(bool fullscreen = false);

// Fixed OpenGL state for the whole run, then the tile set; needs the window's context.
void initScene();

// One frame: draw, step the rules, drain the events, apply the keys, swap; then the sound effects
// that the frame's changes call for.
// afterEventPump, when given, runs between the event pump and the keys, so that a replay can
// supply its own held keys to the very same frame, and the desktop add its gamepad's. eachEvent,
// when given, also sees every event the pump drains.
void runFrame(void (*afterEventPump)() = nullptr, void (*eachEvent)(const SDL_Event&) = nullptr);
