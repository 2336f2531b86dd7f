// eggquest in a browser: the desktop game's start-up and frame, driven by the browser's animation
// frames, because a page must get control back after every frame.
#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/input.h"
#include "app/pace.h"
#include "app/settings.h"
#include "world/key_script.h"
#include "world/level_link.h"
#include "world/levels.h"
#include "world/run.h"
#include "world/run_link.h"
#include "world/world.h"

namespace {

// As many frames as the display refreshes; web/pace.js lets some pass on fast displays.
constexpr int kFramesAtDisplayRate = 0;

// The page's one game: the shell's state, held here alone.
Game game;

// The page merges its touch controls and gamepads into SDL's keyboard, by the player's bindings
// (web/input.js): the game reads the default keys.
const Settings kPageKeys = defaultSettings();

// The page's own defaults: the desktop's, but for the pad's Back, with which the page never ended
// the game.
Settings pageDefaults() {
  Settings settings = defaultSettings();
  settings.padButtons[kQuitAction].clear();
  return settings;
}

// The player's settings in the page, from its Settings panel and the browser's storage.
Settings pageSettings = pageDefaults();

FrameInput pageKeys() {
  return {heldKeys(kPageKeys, SDL_GetKeyState(nullptr), PadState{}), SDL_GetTicks()};
}

void browserFrame() {
  runFrame(game, pageKeys);
  if (game.world.quitRequested != 0) {
    emscripten_cancel_main_loop();
    // There is no process to end: the page says the game is over and offers another.
    EM_ASM({
      if (Module.onGameEnd)
        Module.onGameEnd();
    });
  }
}

void runFrames() {
  emscripten_cancel_main_loop();
  emscripten_set_main_loop(browserFrame, kFramesAtDisplayRate, 0);
}

// The page's levels pass through here, as bytes: web/levels.js writes what it hands over into
// levelInput and reads each answer from levelOutput. The page's set is the one the editor or a
// link last gave; it is played only when the page asks.
std::string levelInput;
std::string levelOutput;
LevelSet pageLevels;
// The run a time trial of the page races, once handed over and found to reach the last egg.
KeyFrames ghostKeys;
bool hasGhost = false;

// The set of a trial: the page's (the editor's or a link's), or the one being played.
std::shared_ptr<const LevelSet> trialLevels(int pageSet) {
  return pageSet != 0 ? std::make_shared<const LevelSet>(pageLevels) : game.world.levels;
}

// Where a file the player opens is read, under its own name, as the desktop reads it.
constexpr const char* kOpenedFolder = "/opened";

// The page's set as tile codes, one byte a cell, row by row, level after level.
void giveCodes() {
  levelOutput.clear();
  for (const Level& level : pageLevels) {
    for (const auto& row : level) {
      for (const std::int32_t code : row) {
        levelOutput.push_back(static_cast<char>(code));
      }
    }
  }
}

bool takeLinkText(const std::string& link) {
  std::string problem;
  if (!decodeLevelLink(link, pageLevels, problem)) {
    levelOutput = problem;
    return false;
  }
  giveCodes();
  return true;
}

}  // namespace

extern "C" {

// Room for what the page hands over; the page writes its bytes there.
EMSCRIPTEN_KEEPALIVE char* levelInputBuffer(int length) {
  levelInput.assign(static_cast<std::size_t>(length), '\0');
  return levelInput.data();
}

EMSCRIPTEN_KEEPALIVE const char* levelOutputBytes() {
  return levelOutput.data();
}

EMSCRIPTEN_KEEPALIVE int levelOutputLength() {
  return static_cast<int>(levelOutput.size());
}

// The input as tile codes of whole levels, as giveCodes writes them, checked as the desktop
// checks a file of those levels. 0 with the reason in the output when it is not a playable set.
EMSCRIPTEN_KEEPALIVE int takeLevelCodes() {
  const std::size_t cells = static_cast<std::size_t>(kMapSize) * kMapSize;
  if (levelInput.empty() || levelInput.size() % cells != 0) {
    levelOutput = "a level set is whole levels of 20 x 20 tile codes";
    return 0;
  }
  LevelSet levels(levelInput.size() / cells);
  for (std::size_t i = 0; i < levelInput.size(); ++i) {
    const int code = static_cast<unsigned char>(levelInput[i]);
    levels[i / cells][i % cells / kMapSize][i % kMapSize] = code < kTileCodes ? code : -1;
  }
  LevelProblem problem;
  if (!readLevels(writeLevels(levels), levels, problem)) {
    levelOutput = problem.message;
    return 0;
  }
  pageLevels = levels;
  levelOutput.clear();
  return 1;
}

// The input as "NAME\0BYTES", a file the player opened: read as `eggquest --levels NAME` reads
// it, with the same message when refused. The set's codes in the output when it is read.
EMSCRIPTEN_KEEPALIVE int takeLevelFile() {
  const std::size_t end = levelInput.find('\0');
  const std::string name = levelInput.substr(0, end);
  if (end == std::string::npos || name.empty() || name.find('/') != std::string::npos ||
      name == "." || name == "..") {
    levelOutput = "a level file needs a name";
    return 0;
  }
  mkdir(kOpenedFolder, 0700);
  const std::string path = std::string(kOpenedFolder) + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    levelOutput = name + ": could not be read";
    return 0;
  }
  std::fwrite(levelInput.data() + end + 1, 1, levelInput.size() - end - 1, file);
  std::fclose(file);
  // From the file's own folder, so that the message names it as the player knows it.
  chdir(kOpenedFolder);
  LevelSet levels;
  const bool read = loadLevelFile(name.c_str(), levels, levelOutput);
  chdir("/");
  unlink(path.c_str());
  if (!read) {
    return 0;
  }
  pageLevels = levels;
  giveCodes();
  return 1;
}

// The input as a link's levels (what follows "#levels="); the codes, or what is wrong with it.
EMSCRIPTEN_KEEPALIVE int takeLevelLink() {
  return takeLinkText(levelInput) ? 1 : 0;
}

// The game's own two levels as the page's set; their codes in the output.
EMSCRIPTEN_KEEPALIVE void takeBuiltInLevels() {
  pageLevels = builtInLevels();
  giveCodes();
}

// The page's set as a level file's text, what `eggquest --levels` reads.
EMSCRIPTEN_KEEPALIVE void giveLevelText() {
  levelOutput = writeLevels(pageLevels);
}

// The page's set as a link's levels, to follow "#levels=".
EMSCRIPTEN_KEEPALIVE void giveLevelLink() {
  levelOutput = encodeLevelLink(pageLevels);
}

// A tile's picture as the game decoded it, RGBA rows from the top; returns its width, 0 for a
// picture that could not be read.
EMSCRIPTEN_KEEPALIVE int giveTilePicture(int code) {
  levelOutput.clear();
  if (code < 0 || code >= kTileCodes || !game.textureTable[code].imageData) {
    return 0;
  }
  const Texture& picture = game.textureTable[code];
  const std::uint32_t channels = picture.bpp / 8;
  for (std::uint32_t y = picture.height; y-- > 0;) {
    const unsigned char* row = picture.imageData.get() + std::size_t{y} * picture.width * channels;
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      const unsigned char* pixel = row + std::size_t{x} * channels;
      levelOutput.append(reinterpret_cast<const char*>(pixel), 3);
      levelOutput.push_back(channels == 4 ? static_cast<char>(pixel[3]) : '\xff');
    }
  }
  return static_cast<int>(picture.width);
}

// Each tile code's picture, rule and role to the rules (solid, egg, chicken or nothing), a line
// each, a tab between: the editor's labels and the codes it paints with.
EMSCRIPTEN_KEEPALIVE void giveTileNames() {
  levelOutput.clear();
  for (int code = 0; code < kTileCodes; ++code) {
    const char* role = code == kSolidTile       ? "solid"
                       : code == kEggTile       ? "egg"
                       : code == kCharacterTile ? "chicken"
                                                : "";
    levelOutput +=
        std::string(tileSet[code].picture) + "\t" + tileSet[code].rule + "\t" + role + "\n";
  }
}

// The cell the chicken starts in, row * 20 + column: the editor marks it.
EMSCRIPTEN_KEEPALIVE int startCell() {
  return cellIndex(kStartY) * kMapSize + cellIndex(kStartX);
}

// The game's frame rate, and the display rate up to which every animation frame is a game frame:
// web/pace.js paces the page by them.
EMSCRIPTEN_KEEPALIVE int gameFramesPerSecond() {
  return kFramesPerSecond;
}

// At the player's speed.
EMSCRIPTEN_KEEPALIVE int framesPerSecond() {
  return framesPerSecondAt(pageSettings.speed);
}

EMSCRIPTEN_KEEPALIVE int displayPacedHz() {
  return kDisplayPacedHz;
}

// Time trials. The run to race is handed over before the trial starts, as a key script (the best
// the page keeps) or as a run link's run; the page never learns its time but from here, worked out
// by playing it. 0 with the reason in the output when it cannot be raced on the set.
EMSCRIPTEN_KEEPALIVE int takeGhostScript(int pageSet) {
  hasGhost = false;
  KeyScript script;
  std::string problem;
  const auto levels = trialLevels(pageSet);
  std::string madeFor;
  int rules = 0;
  if (!runScriptMadeFor(levelInput, madeFor, rules) || madeFor != levelSetId(*levels) ||
      rules != kRulesVersion) {
    levelOutput = "the run is not one of these levels with these rules";
    return 0;
  }
  if (!parseKeyScript(levelInput, script, problem)) {
    levelOutput = problem;
    return 0;
  }
  KeyFrames keys = keyFramesOf(script);
  const RunResult result = playRun(levels, keys);
  if (!result.finished) {
    levelOutput = "the run does not reach the last egg";
    return 0;
  }
  keys.resize(result.frames);
  ghostKeys = std::move(keys);
  hasGhost = true;
  return result.frames;
}

EMSCRIPTEN_KEEPALIVE int takeGhostLink(int pageSet) {
  hasGhost = false;
  const auto levels = trialLevels(pageSet);
  KeyFrames keys;
  if (!decodeRunLink(levelInput, levels, keys, levelOutput)) {
    return 0;
  }
  ghostKeys = std::move(keys);
  hasGhost = true;
  return playRun(levels, ghostKeys).frames;
}

EMSCRIPTEN_KEEPALIVE void dropGhost() {
  hasGhost = false;
}

// A time trial of the page's set (the editor's or a link's) or of the set being played, against
// the ghost handed over last, if any.
EMSCRIPTEN_KEEPALIVE void playTimeTrial(int pageSet) {
  startTimeTrial(game, trialLevels(pageSet), hasGhost ? &ghostKeys : nullptr);
  runFrames();
}

// The frames of the trial just finished at the last egg, and each level's in the output, a space
// between; 0 when no trial finished.
EMSCRIPTEN_KEEPALIVE int giveTrialResult() {
  levelOutput.clear();
  if (!game.timeTrial || !game.world.goalReached) {
    return 0;
  }
  for (const int frames : game.trial.splits) {
    levelOutput += (levelOutput.empty() ? "" : " ") + std::to_string(frames);
  }
  return game.trial.frames;
}

// The finished trial's run: as the key script the page keeps as a best, or as a link's fragment
// with the set, "levels=...&run=...".
EMSCRIPTEN_KEEPALIVE void giveRunScript() {
  levelOutput = writeRunScript(game.trial.keys, levelSetId(*game.world.levels), game.trial.frames);
}

EMSCRIPTEN_KEEPALIVE void giveRunLink() {
  levelOutput = "levels=" + encodeLevelLink(*game.world.levels) +
                "&run=" + encodeRunLink(*game.world.levels, game.trial.keys);
}

// The set's id, by its tiles: the page keeps a best for each.
EMSCRIPTEN_KEEPALIVE void giveLevelSetId(int pageSet) {
  levelOutput = levelSetId(*trialLevels(pageSet));
}

// Frames as the timer shows them.
EMSCRIPTEN_KEEPALIVE void giveTime(int frames) {
  levelOutput = formatTime(frames);
}

// Settings. The input is settings text, the desktop's, read over the page's defaults; the output
// the messages about its refused lines, one a line. The speed and the volume take effect at once.
EMSCRIPTEN_KEEPALIVE void takeSettings() {
  pageSettings = pageDefaults();
  std::vector<std::string> messages;
  readSettings(levelInput, "settings", pageSettings, messages);
  levelOutput.clear();
  for (const std::string& message : messages) {
    levelOutput += message + "\n";
  }
  game.speed = pageSettings.speed;
  setSoundVolume(game.sound, pageSettings.volume);
}

// The settings as the desktop's text.
EMSCRIPTEN_KEEPALIVE void giveSettings() {
  levelOutput = writeSettings(pageSettings);
}

// The bindings for the page's input, a line an action: its name, the keys' places
// (KeyboardEvent.code) and the pad buttons' standard numbers, tabs between; then the speed and
// the volume.
EMSCRIPTEN_KEEPALIVE void giveBindings() {
  levelOutput.clear();
  for (int action = 0; action < kActions; ++action) {
    std::string codes;
    for (const SDLKey key : pageSettings.keys[action]) {
      for (const KeyName& name : kKeyNames) {
        if (name.key == key) {
          codes += (codes.empty() ? "" : " ") + std::string(name.code);
        }
      }
    }
    std::string buttons;
    for (const int button : pageSettings.padButtons[action]) {
      for (const PadButtonName& name : kPadButtonNames) {
        if (name.button == button) {
          buttons += (buttons.empty() ? "" : " ") + std::to_string(name.standard);
        }
      }
    }
    levelOutput += std::string(kSettingNames[action]) + "\t" + codes + "\t" + buttons + "\n";
  }
  levelOutput += "speed\t" + std::to_string(pageSettings.speed) + "\n";
  levelOutput += "volume\t" + std::to_string(pageSettings.volume) + "\n";
}

// The keys and pad buttons the settings can name: "key NAME CODE" and "pad NAME STANDARD" lines,
// tabs between.
EMSCRIPTEN_KEEPALIVE void giveInputNames() {
  levelOutput.clear();
  for (const KeyName& key : kKeyNames) {
    levelOutput += std::string("key\t") + key.name + "\t" + key.code + "\n";
  }
  for (const PadButtonName& button : kPadButtonNames) {
    levelOutput +=
        std::string("pad\t") + button.name + "\t" + std::to_string(button.standard) + "\n";
  }
}

// Plays the page's set from its start, as "Play again" plays the game's.
EMSCRIPTEN_KEEPALIVE void playPageLevels() {
  restartGame(game, std::make_shared<const LevelSet>(pageLevels));
  runFrames();
}

// The page's "Play again": the level, the character and the caption back to the start.
EMSCRIPTEN_KEEPALIVE void playAgain() {
  restartGame(game, game.world.levels);
  runFrames();
}

// Browsers let a page make sound only after the player's first key or touch: the page calls this
// then, unless the player has muted it.
EMSCRIPTEN_KEEPALIVE void beginSound() {
  startSound(game.sound);
}

// The page's sound button.
EMSCRIPTEN_KEEPALIVE void muteSound(int muted) {
  setSoundMuted(game.sound, muted != 0);
}

}  // extern "C"

int main() {
  // A link's levels are read before the first frame, which then is theirs; a link that cannot be
  // played is said on the page, which offers the game's own levels instead.
  const int linkLength = EM_ASM_INT({ return Module.levels.putLinkFromAddress(); });
  bool linkRefused = false;
  if (linkLength >= 0) {
    linkRefused = !takeLinkText(levelInput);
    if (!linkRefused) {
      game.world = startWorld(std::make_shared<const LevelSet>(pageLevels));
    }
  }
  if (const int failed = startGame(game)) {
    return failed;
  }
  if (linkRefused) {
    EM_ASM({ Module.levels.linkRefused(); });
    return 0;
  }
  if (linkLength >= 0) {
    EM_ASM({ Module.levels.linkPlayed(); });
    // A run link's run is raced from the first frame; one that cannot be raced is said, and the
    // levels are played without it.
    if (EM_ASM_INT({ return Module.trial.putRunFromAddress(); }) >= 0) {
      const int frames = takeGhostLink(1);
      if (frames > 0) {
        startTimeTrial(game, game.world.levels, &ghostKeys);
        EM_ASM({ Module.trial.racing($0); }, frames);
      } else {
        EM_ASM({ Module.trial.runRefused(); });
      }
    }
  }
  runFrames();
  return 0;
}
