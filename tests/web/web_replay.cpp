// The replay tool's loop in a browser: each animation frame runs the game's own frame with a key
// script's held keys, and /trace.txt gets the line the desktop replay's --trace writes for it.
//   replay-page/index.html?replays/playthrough.keys
// When the game ends or the script runs out, the page shows its end message.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/frame.h"
#include "app/shell.h"
#include "key_script.h"
#include "world/world.h"

namespace {

constexpr int kEveryAnimationFrame = 0;
constexpr const char* kTracePath = "/trace.txt";
// The desktop replay waits this long after frame 0, so the start delay covers frame 0 alone.
constexpr Uint32 kPastStartDelayMs = kStartDelayMs + 1;

KeyScript script;
Uint8 scriptedKeys[SDLK_LAST];
int frame = 0;
int lastFrame = 0;
Uint32 firstFrameEndTicks = 0;
std::FILE* trace = nullptr;

void holdScriptedKeys() {
  heldKeysAt(script, frame, scriptedKeys);
  keyState = scriptedKeys;
}

void replayFrame() {
  if (frame == 1 && SDL_GetTicks() - firstFrameEndTicks < kPastStartDelayMs) {
    return;
  }
  std::fprintf(trace, "%d %d %.9g %.9g\n", frame, currentLevel, characterX, characterY);
  runFrame(holdScriptedKeys);
  if (frame == 0) {
    firstFrameEndTicks = SDL_GetTicks();
  }
  ++frame;
  if (quitRequested != 0 || frame > lastFrame) {
    std::fclose(trace);
    emscripten_cancel_main_loop();
    EM_ASM({
      if (Module.onGameEnd)
        Module.onGameEnd();
    });
  }
}

}  // namespace

int main() {
  const std::string path =
      emscripten_run_script_string("decodeURIComponent(location.search.slice(1))");
  std::string error;
  if (!loadKeyScript(path, script, error)) {
    std::fprintf(stderr, "replay: %s: %s\n", path.c_str(), error.c_str());
    return EXIT_FAILURE;
  }
  lastFrame = lastScriptedFrame(script);
  trace = std::fopen(kTracePath, "w");
  if (const int failed = startGame()) {
    return failed;
  }
  emscripten_set_main_loop(replayFrame, kEveryAnimationFrame, 0);
  return 0;
}
