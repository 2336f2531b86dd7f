// Start-up of the OpenGL scene and the one frame that the game repeats until it ends.
#pragma once

// Fixed OpenGL state for the whole run, then the tile set; needs the window's context.
void initScene();

// One frame: draw, step the rules, drain the events, apply the keys, swap.
// afterEventPump, when given, runs between the event pump and the keys, so that a replay can
// supply its own held keys to the very same frame.
void runFrame(void (*afterEventPump)() = nullptr);
