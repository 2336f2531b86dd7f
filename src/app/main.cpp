// eggquest: guide the chicken to the egg in each of two levels, or of a player's own. eggquest
// --help lists the options.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "app/frame.h"
#include "app/gamepad.h"
#include "app/input.h"
#include "app/pace.h"
#include "world/levels.h"

namespace {

constexpr int kExitNormal = 1;  // a normal end gives 1, which scripts that run the game expect
constexpr int kExitHelp = 0;
constexpr int kExitUnknownOption = 64;
constexpr int kExitBadLevelFile = 65;

constexpr char kUsage[] =
    "usage: eggquest [--levels FILE] [--fullscreen] [--mute] [--no-frame-limit] [--help]\n"
    "Guide the chicken to the egg in each of two levels.\n"
    "  --levels FILE     play the levels of FILE instead (docs/LEVELS.md describes the format)\n"
    "  --fullscreen      start filling the screen (F11 or Alt+Enter switches)\n"
    "  --mute            play without sound; the sound device is not opened\n"
    "  --no-frame-limit  draw as many frames a second as the display allows, not 60; the game\n"
    "                    then runs faster than it is tuned for (for measuring)\n"
    "  --help            show this and end\n"
    "Keys: Left and Right walk, Up jumps, Escape ends. A gamepad: the D-pad or left stick walks,\n"
    "A or D-pad up jumps, Back ends.\n";

void toggleFullscreenOnKey(const SDL_Event& event) {
  if (event.type != SDL_KEYDOWN) {
    return;
  }
  const SDL_keysym& key = event.key.keysym;
  const bool altEnter =
      (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0;
  if (key.sym == SDLK_F11 || altEnter) {
    SDL_WM_ToggleFullScreen(SDL_GetVideoSurface());
  }
}

// The desktop's one game, and what paces and plays it: the shell's state, held here alone.
Game game;
FrameSchedule schedule;
Gamepad gamepad;

FrameInput keyboardAndGamepad() {
  readGamepad(gamepad);
  return {mergeHeldKeys(SDL_GetKeyState(nullptr), gamepad.state), SDL_GetTicks()};
}

void runDesktopFrame() {
  runFrame(game, keyboardAndGamepad, toggleFullscreenOnKey);
}

}  // namespace

int main(int argc, char* argv[]) {
  bool muted = false;
  bool fullscreen = false;
  LevelSet levels = builtInLevels();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--levels") == 0) {
      if (i + 1 == argc) {
        std::fputs("eggquest: --levels needs a file (eggquest --help lists the options)\n", stderr);
        return kExitUnknownOption;
      }
      // Read whole before any window opens: a refused file leaves nothing half-played.
      std::string problem;
      if (!loadLevelFile(argv[++i], levels, problem)) {
        std::fprintf(stderr, "eggquest: %s\n", problem.c_str());
        return kExitBadLevelFile;
      }
    } else if (std::strcmp(argv[i], "--mute") == 0) {
      muted = true;
    } else if (std::strcmp(argv[i], "--fullscreen") == 0) {
      fullscreen = true;
    } else if (std::strcmp(argv[i], "--no-frame-limit") == 0) {
      schedule.limitOn = false;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return kExitHelp;
    } else {
      std::fprintf(stderr, "eggquest: unknown option '%s' (eggquest --help lists the options)\n",
                   argv[i]);
      return kExitUnknownOption;
    }
  }
  game.world = startWorld(std::make_shared<const LevelSet>(std::move(levels)));
  chooseGamepadLayout();
  // Fullscreen scales the 800 x 600 picture by whole source pixels: sharp, as the tiles are drawn.
  setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
  if (const int failed = startGame(game, fullscreen)) {
    return failed;
  }
  openGamepad(gamepad);
  // The sound starts once the first frame is on the screen, which it does not delay, and only if
  // the game goes on; muted, the sound device is never opened.
  runDesktopFrame();
  if (!muted && game.world.quitRequested == 0) {
    startSound(game.sound);
  }
  const PaceClock clock = monotonicClock();
  while (game.world.quitRequested == 0) {
    rescanGamepads(gamepad);
    paceFrame(schedule, clock);
    runDesktopFrame();
  }
  // The last egg ends the game in its own frame, without waiting for its sound.
  stopSound(game.sound);
  SDL_Quit();
  return kExitNormal;
}
