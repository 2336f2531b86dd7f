// A windowless replay: physics then input, frame by frame, on the tests' clock.
#include "simulate.h"

#include "app/shell.h"
#include "fake_sdl.h"
#include "world/world.h"

Simulation simulate(const KeyScript& script) {
  constexpr Uint32 kPastStartDelay = kStartDelayMs + 1;
  resetGame();
  const int lastFrame = lastScriptedFrame(script);
  Simulation run;
  for (int frame = 0; frame <= lastFrame && quitRequested == 0; ++frame) {
    run.trace.push_back({frame, currentLevel, characterX, characterY});
    if (currentLevel == 2 && run.levelTwoFrame < 0) {
      run.levelTwoFrame = frame;
    }
    fakeTicks = frame == 0 ? 0 : kPastStartDelay;
    updatePhysics();
    heldKeysAt(script, frame, heldKeys);
    if (handleInput() == 1) {
      quitRequested = 1;
    }
    if (quitRequested != 0) {
      run.endFrame = frame;
    }
  }
  return run;
}
