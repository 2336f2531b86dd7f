// eggquest: guide the chicken to the egg in each of two levels, or of a player's own, and race
// the clock and a ghost. eggquest --help lists the options.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "app/bests.h"
#include "app/frame.h"
#include "app/gamepad.h"
#include "app/input.h"
#include "app/pace.h"
#include "app/settings.h"
#include "world/level_link.h"
#include "world/levels.h"
#include "world/run_link.h"

namespace {

constexpr int kExitNormal = 1;  // a normal end gives 1, which scripts that run the game expect
constexpr int kExitHelp = 0;
constexpr int kExitUnknownOption = 64;
constexpr int kExitBadLevelFile = 65;

constexpr char kUsage[] =
    "usage: eggquest [--levels FILE | --link LINK] [--time-trial] [--race RUN.keys]\n"
    "                [--speed 50|75|100] [--volume N] [--fullscreen] [--mute]\n"
    "                [--no-frame-limit] [--settings] [--help]\n"
    "Guide the chicken to the egg in each of two levels.\n"
    "  --levels FILE     play the levels of FILE instead (docs/LEVELS.md describes the format)\n"
    "  --link LINK       play the levels of a level link, or race the run of a run link\n"
    "  --time-trial      race the clock, and the best run of these levels as a ghost; the time\n"
    "                    is written at the end, and a better one kept as the best\n"
    "  --race RUN.keys   race the run of this key script instead of the best (a time trial)\n"
    "  --speed PERCENT   play slower: 75 or 50 steps the game 45 or 30 frames a second, not 60\n"
    "  --volume PERCENT  the sound's volume, 0 to 100\n"
    "  --fullscreen      start filling the screen (F11 or Alt+Enter switches)\n"
    "  --mute            play without sound; the sound device is not opened\n"
    "  --no-frame-limit  draw as many frames a second as the display allows, not 60; the game\n"
    "                    then runs faster than it is tuned for (for measuring)\n"
    "  --settings        show the settings in force and where each comes from, and end\n"
    "  --help            show this and end\n";

// The keys in force, for --help: the defaults say what they always said.
std::string keysHelp(const Settings& settings) {
  const Settings defaults = defaultSettings();
  if (settings.keys == defaults.keys && settings.padButtons == defaults.padButtons) {
    return "Keys: Left and Right walk, Up jumps, Escape ends. A gamepad: the D-pad or left stick "
           "walks,\nA or D-pad up jumps, Back ends.\n";
  }
  std::string help = "Keys and pad buttons, from " + settingsPath() + ":\n";
  const std::string text = writeSettings(settings);
  for (std::size_t start = 0, line = 0; line < 2 * kActions; ++line) {
    const std::size_t end = text.find('\n', start);
    help += "  " + text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return help + "The left stick walks too.\n";
}

struct Options {
  bool help = false;
  bool showSettings = false;
  int speed = 0;    // 0: as the settings say
  int volume = -1;  // -1: as the settings say
  bool muted = false;
  bool fullscreen = false;
  bool frameLimit = true;
  bool timeTrial = false;
  LevelSet levels = builtInLevels();
  std::string racePath;
  std::string runLink;
};

// What the time trial races and compares with, read before the window opens.
struct TrialSetup {
  int speed = 100;       // bests are kept apart for each game speed
  std::string bestPath;  // empty where there is no data folder
  bool hasBest = false;
  KeptRun best;
  bool hasGhost = false;
  KeptRun ghost;
};

void warn(const std::string& message) {
  std::fprintf(stderr, "eggquest: %s\n", message.c_str());
}

constexpr int kGoOn = -1;

// kGoOn when the options are read, else the status to end with (after --help, or with a message
// written).
int readOptions(int argc, char* argv[], Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool needsValue = option == "--levels" || option == "--link" || option == "--race" ||
                            option == "--speed" || option == "--volume";
    if (needsValue && i + 1 == argc) {
      const char* what = option == "--link"                            ? "a link"
                         : option == "--speed" || option == "--volume" ? "a percentage"
                                                                       : "a file";
      warn(option + " needs " + what + " (eggquest --help lists the options)");
      return kExitUnknownOption;
    }
    std::string problem;
    if (option == "--levels") {
      // Read whole before any window opens: a refused file leaves nothing half-played.
      if (!loadLevelFile(argv[++i], options.levels, problem)) {
        warn(problem);
        return kExitBadLevelFile;
      }
    } else if (option == "--link") {
      std::string levels;
      if (!splitGameLink(argv[++i], levels, options.runLink)) {
        warn("the link holds no levels: it ends in #levels=...");
        return kExitBadLevelFile;
      }
      if (!decodeLevelLink(levels, options.levels, problem)) {
        warn(problem);
        return kExitBadLevelFile;
      }
    } else if (option == "--race") {
      options.racePath = argv[++i];
      options.timeTrial = true;
    } else if (option == "--speed" || option == "--volume") {
      const std::string value = argv[++i];
      const bool digits = !value.empty() && value.size() <= 3 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      const int percent = digits ? std::stoi(value) : -1;
      const bool speed = option == "--speed";
      if (speed ? percent != 50 && percent != 75 && percent != 100 : percent < 0 || percent > 100) {
        warn(option + " is " + (speed ? "50, 75 or 100" : "0 to 100") + ", not '" + value +
             "' (eggquest --help lists the options)");
        return kExitUnknownOption;
      }
      (speed ? options.speed : options.volume) = percent;
    } else if (option == "--settings") {
      options.showSettings = true;
    } else if (option == "--time-trial") {
      options.timeTrial = true;
    } else if (option == "--mute") {
      options.muted = true;
    } else if (option == "--fullscreen") {
      options.fullscreen = true;
    } else if (option == "--no-frame-limit") {
      options.frameLimit = false;
    } else if (option == "--help") {
      options.help = true;
    } else {
      warn("unknown option '" + option + "' (eggquest --help lists the options)");
      return kExitUnknownOption;
    }
  }
  return kGoOn;
}

// The best of these levels, and the ghost: a run link's run, a --race file's, or the best. A run
// that cannot be raced is said, and the levels are played without a ghost.
TrialSetup prepareTrial(const Options& options, const std::shared_ptr<const LevelSet>& levels,
                        int speed) {
  TrialSetup setup;
  setup.speed = speed;
  std::string message;
  const std::string folder = bestsFolder();
  if (!folder.empty()) {
    setup.bestPath = bestPath(folder, levelSetId(*levels), speed);
    setup.hasBest = loadBest(setup.bestPath, levels, setup.best, message);
    if (!message.empty()) {
      warn(message);
    }
  }
  if (!options.runLink.empty()) {
    std::string problem;
    setup.hasGhost = decodeRunLink(options.runLink, levels, setup.ghost.keys, problem);
    if (!setup.hasGhost) {
      warn("the link's run cannot be raced: " + problem + "; the levels are played without it");
    }
  } else if (!options.racePath.empty()) {
    setup.hasGhost = loadRun(options.racePath, levels, setup.ghost, message);
    if (!setup.hasGhost) {
      warn(message + "; the levels are played without a ghost");
    }
  } else if (setup.hasBest) {
    setup.hasGhost = true;
    setup.ghost = setup.best;
  }
  return setup;
}

// A finished run's time on standard output, and the run kept when it is the best.
void finishTrial(const TimeTrial& trial, const World& world, const TrialSetup& setup) {
  const bool personalBest = !setup.hasBest || trial.frames < setup.best.frames;
  const std::string speed = setup.speed == 100 ? "" : " at " + std::to_string(setup.speed) + " %";
  std::printf("time %s s (%d frames)%s%s\n", formatTime(trial.frames).c_str(), trial.frames,
              speed.c_str(), personalBest ? ", a personal best" : "");
  std::fflush(stdout);
  std::string message;
  if (personalBest && !setup.bestPath.empty() &&
      !keepBest(setup.bestPath, writeRunScript(trial.keys, levelSetId(*world.levels), trial.frames),
                message)) {
    warn(message);
  }
}

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
Settings settings = defaultSettings();

FrameInput keyboardAndGamepad() {
  readGamepad(gamepad);
  return {heldKeys(settings, SDL_GetKeyState(nullptr), gamepad.state), SDL_GetTicks()};
}

void runDesktopFrame() {
  runFrame(game, keyboardAndGamepad, toggleFullscreenOnKey);
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  if (const int status = readOptions(argc, argv, options); status != kGoOn) {
    return status;
  }
  // The settings file, then the options for this run; a bad line is said and its setting kept.
  std::vector<std::string> messages;
  const std::string settingsFile = settingsPath();
  if (!settingsFile.empty()) {
    loadSettingsFile(settingsFile, settings, messages);
  }
  for (const std::string& message : messages) {
    warn(message);
  }
  if (options.speed != 0) {
    settings.speed = options.speed;
    settings.sources[2 * kActions] = "option --speed";
  }
  if (options.volume >= 0) {
    settings.volume = options.volume;
    settings.sources[2 * kActions + 1] = "option --volume";
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    std::fputs(keysHelp(settings).c_str(), stdout);
    return kExitHelp;
  }
  if (options.showSettings) {
    std::printf("The settings file: %s\n%s", settingsFile.empty() ? "(none)" : settingsFile.c_str(),
                describeSettings(settings).c_str());
    return kExitHelp;
  }
  schedule.limitOn = options.frameLimit;
  schedule.framesPerSecond = framesPerSecondAt(settings.speed);
  game.speed = settings.speed;
  setSoundVolume(game.sound, settings.volume);
  const auto levels = std::make_shared<const LevelSet>(std::move(options.levels));
  // A run link is raced: a time trial.
  options.timeTrial = options.timeTrial || !options.runLink.empty();
  TrialSetup trial;
  if (options.timeTrial) {
    trial = prepareTrial(options, levels, settings.speed);
    startTimeTrial(game, levels, trial.hasGhost ? &trial.ghost.keys : nullptr);
  } else {
    game.world = startWorld(levels);
  }
  chooseGamepadLayout();
  // Keys by their place on the keyboard, named as on a US one: sdl12-compat then gives each key
  // its US symbol, so that a binding of W, A and D is Z, Q and D on a French keyboard. The arrows
  // and Escape are the same on every keyboard. A player's own choice of the variable stands.
  setenv("SDL12COMPAT_USE_KEYBOARD_LAYOUT", "0", 0);
  // Fullscreen scales the 800 x 600 picture by whole source pixels: sharp, as the tiles are drawn.
  setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
  if (const int failed = startGame(game, options.fullscreen)) {
    return failed;
  }
  openGamepad(gamepad);
  // The sound starts once the first frame is on the screen, which it does not delay, and only if
  // the game goes on; muted, the sound device is never opened.
  runDesktopFrame();
  if (!options.muted && game.world.quitRequested == 0) {
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
  // Escape or a closed window is no finished run: nothing is written or kept.
  if (game.timeTrial && game.world.goalReached) {
    finishTrial(game.trial, game.world, trial);
  }
  return kExitNormal;
}
