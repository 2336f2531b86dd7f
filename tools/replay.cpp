// Replays the game under a key script, frame for frame, and can keep what it shows.
//   replay SCRIPT [--levels FILE] [--trace FILE] [--png FRAME:FILE]... [--gif FILE] [--fps N]
//          [--mute] [--sound-times FILE] [--run-link] [--race RUN.keys]
// Runs in the folder that holds the images and sounds, as the game does. The game's own frame runs
// each frame, with the script's keys held instead of the keyboard's and the script's clock. Frames
// are counted, not timed, so a script replays the same on every machine; --fps N only spaces them
// out in time, N a second, as a display's vertical sync would, so that their sounds can be heard
// or recorded (by the sound device's clock while it is open). --sound-times writes, for each
// frame, how many seconds of sound had been mixed when it ended: where in the device's output that
// frame's sounds begin. --run-link writes the fragment of a link to the run, "#levels=...&run=...",
// when the script reaches the last egg: the page races it as the desktop does. --race plays a time
// trial against the run of another key script, with its ghost and the timer in the picture.
// Exit status: 0 when the game ended (egg, Escape or window closed) within the script, 3 when
// the script ran out first, 1 for a bad command line, script or level file, and the game's own
// start-up failures (1 and 2).
#include <GL/gl.h>
#include <Magick++.h>
#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "world/key_script.h"
#include "world/level_link.h"
#include "world/levels.h"
#include "world/run_link.h"
#include "world/world.h"

namespace {

constexpr int kExitEnded = 0;
constexpr int kExitUsage = 1;
constexpr int kExitScriptRanOut = 3;

constexpr Uint32 kLongestWaitMs = 1000;  // for a clock that has stopped: a failed sound device
constexpr int kGifEveryFrames = 2;       // at about 60 frames a second, a 30 fps animation
constexpr int kGifFrameDelay = 3;        // hundredths of a second
constexpr int kGifLastFrameDelay = 200;  // the ending stays a moment before the loop restarts

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The command line.
struct Options {
  std::string scriptPath;
  std::string levelsPath;
  std::string tracePath;
  std::string soundTimesPath;
  std::string gifPath;
  std::map<int, std::string> pngFrames;
  int framesPerSecond = 0;  // 0: as fast as the machine draws them
  bool muted = false;
  bool runLink = false;
  std::string racePath;
};

// What the command line names, read and opened before any window.
struct Files {
  KeyScript script;
  LevelSet levels = builtInLevels();
  KeyScript race;
  File trace{nullptr, std::fclose};
  File soundTimes{nullptr, std::fclose};
};

int usage(const std::string& message) {
  std::fprintf(stderr,
               "replay: %s\nusage: replay SCRIPT [--levels FILE] [--trace FILE] "
               "[--png FRAME:FILE]... [--gif FILE] [--fps N] [--mute] [--sound-times FILE] "
               "[--run-link] [--race RUN.keys]\n",
               message.c_str());
  return kExitUsage;
}

// 0 when the options are read, else the status to end with, its message written.
int readArguments(int argc, char* argv[], Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--levels" && hasValue) {
      options.levelsPath = argv[++i];
    } else if (arg == "--trace" && hasValue) {
      options.tracePath = argv[++i];
    } else if (arg == "--gif" && hasValue) {
      options.gifPath = argv[++i];
    } else if (arg == "--fps" && hasValue) {
      options.framesPerSecond = std::atoi(argv[++i]);
      if (options.framesPerSecond <= 0) {
        return usage("--fps takes a number of frames a second");
      }
    } else if (arg == "--mute") {
      options.muted = true;
    } else if (arg == "--run-link") {
      options.runLink = true;
    } else if (arg == "--race" && hasValue) {
      options.racePath = argv[++i];
    } else if (arg == "--sound-times" && hasValue) {
      options.soundTimesPath = argv[++i];
    } else if (arg == "--png" && hasValue) {
      const std::string value = argv[++i];
      const std::size_t colon = value.find(':');
      if (colon == std::string::npos || colon == 0) {
        return usage("--png takes FRAME:FILE");
      }
      options.pngFrames[std::atoi(value.substr(0, colon).c_str())] = value.substr(colon + 1);
    } else if (options.scriptPath.empty() && arg[0] != '-') {
      options.scriptPath = arg;
    } else {
      return usage("unexpected '" + arg + "'");
    }
  }
  return options.scriptPath.empty() ? usage("no key script given") : 0;
}

// 0 when every file is read or open for writing, else the status to end with, its message
// written.
int openFiles(const Options& options, Files& files) {
  std::string problem;
  if (!options.levelsPath.empty() &&
      !loadLevelFile(options.levelsPath.c_str(), files.levels, problem)) {
    std::fprintf(stderr, "replay: %s\n", problem.c_str());
    return kExitUsage;
  }
  for (auto [path, script] :
       {std::pair(&options.scriptPath, &files.script), std::pair(&options.racePath, &files.race)}) {
    if (!path->empty() && !loadKeyScript(*path, *script, problem)) {
      std::fprintf(stderr, "replay: %s: %s\n", path->c_str(), problem.c_str());
      return kExitUsage;
    }
  }
  for (auto [path, file] : {std::pair(&options.tracePath, &files.trace),
                            std::pair(&options.soundTimesPath, &files.soundTimes)}) {
    if (!path->empty()) {
      file->reset(std::fopen(path->c_str(), "w"));
      if (!*file) {
        std::fprintf(stderr, "replay: cannot write %s\n", path->c_str());
        return kExitUsage;
      }
    }
  }
  return 0;
}

// The frame just drawn, still in the back buffer: the buffer swap comes after the keys.
Magick::Image capture() {
  std::vector<unsigned char> pixels(kWindowWidth * kWindowHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  Magick::Image image(kWindowWidth, kWindowHeight, "RGB", Magick::CharPixel, pixels.data());
  image.flip();  // OpenGL's rows go bottom to top
  return image;
}

// The pictures the options ask for: single frames as PNG files, every other frame as a GIF.
struct Pictures {
  std::vector<Magick::Image> gifFrames;

  void keep(const Options& options, int frame) {
    const auto png = options.pngFrames.find(frame);
    const bool wantGif = !options.gifPath.empty() && frame % kGifEveryFrames == 0;
    if (png == options.pngFrames.end() && !wantGif) {
      return;
    }
    Magick::Image image = capture();
    if (png != options.pngFrames.end()) {
      image.write(png->second);
    }
    if (wantGif) {
      image.resize(Magick::Geometry(kWindowWidth / 2, kWindowHeight / 2));
      image.animationDelay(kGifFrameDelay);
      gifFrames.push_back(image);
    }
  }

  void writeGif(const std::string& path) {
    if (gifFrames.empty()) {
      return;
    }
    gifFrames.back().animationDelay(kGifLastFrameDelay);
    for (Magick::Image& image : gifFrames) {
      image.quantizeColors(128);
      image.quantize();
    }
    std::vector<Magick::Image> optimized;
    Magick::optimizeImageLayers(&optimized, gifFrames.begin(), gifFrames.end());
    optimized.front().animationIterations(0);
    Magick::writeImages(optimized.begin(), optimized.end(), path);
  }
};

// The sound device's own clock: the bytes SDL_mixer has mixed, counted after every chunk.
std::atomic<std::uint64_t> mixedBytes{0};
void countMixed(void*, Uint8*, int length) {
  mixedBytes += static_cast<std::uint64_t>(length);
}

// --fps keeps its count by the sound device's clock while the sound is open, else by the wall
// clock: SDL's disk driver keeps time by sleeping and falls behind the wall clock on a busy
// machine, and its recording still has each frame's sounds at the frame's moment. The count
// starts at frame 1, and anew after a frame that came too late: the frames after a stall keep
// their spacing instead of rushing, as a display never shows two frames at once.
struct Pacer {
  static constexpr std::uint64_t kLongestRushMs = 100;
  int framesPerSecond = 0;
  std::uint64_t bytesPerSecond = 0;  // of the sound device, once open; else 0
  std::uint64_t countStart = 0;
  int countFrame = 1;

  std::uint64_t now() const { return bytesPerSecond > 0 ? mixedBytes.load() : SDL_GetTicks(); }
  std::uint64_t perSecond() const { return bytesPerSecond > 0 ? bytesPerSecond : 1000; }

  void start(const SoundPlayer& sound) {
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (sound.open && sound.mixer.querySpec(&rate, &format, &channels) != 0) {
      const int bytesPerSample = (format & 0xFF) / 8;
      bytesPerSecond = static_cast<std::uint64_t>(rate) * channels * bytesPerSample;
      sound.mixer.setPostMix(countMixed, nullptr);
    }
    countStart = now();
    countFrame = 1;
  }

  // Waits until the frame is due; a device that stops is waited for a second.
  void waitFor(int frame) {
    if (framesPerSecond <= 0 || frame == 0) {
      return;
    }
    const std::uint64_t due =
        countStart + static_cast<std::uint64_t>(frame - countFrame) * perSecond() / framesPerSecond;
    const Uint32 waitStart = SDL_GetTicks();
    while (now() < due && SDL_GetTicks() - waitStart < kLongestWaitMs) {
      SDL_Delay(1);
    }
    if (now() > due + perSecond() * kLongestRushMs / 1000) {
      countStart = now();
      countFrame = frame;
    }
  }

  double mixedSeconds() const {
    return bytesPerSecond > 0 ? static_cast<double>(mixedBytes) / bytesPerSecond : 0;
  }
};

// How the replay went: each level after the first and the frame it was first drawn in, and the
// last frame run.
struct Outcome {
  bool ended = false;
  int lastFrame = 0;
  std::vector<std::pair<int, int>> levelStarts;
};

Outcome replayFrames(Game& game, const Options& options, Files& files) {
  Pictures pictures;
  Pacer pacer;
  pacer.framesPerSecond = options.framesPerSecond;
  Outcome outcome;
  const int lastFrame = lastScriptedFrame(files.script);
  int frame = 0;
  for (; frame <= lastFrame && game.world.quitRequested == 0; ++frame) {
    pacer.waitFor(frame);
    const World& world = game.world;
    if (files.trace) {
      // What this frame draws: the position and level before its physics step.
      std::fprintf(files.trace.get(), "%d %d %.9g %.9g\n", frame, world.currentLevel,
                   world.characterX, world.characterY);
    }
    if (world.currentLevel > (outcome.levelStarts.empty() ? 1 : outcome.levelStarts.back().first)) {
      outcome.levelStarts.emplace_back(world.currentLevel, frame);
    }
    runFrame(game, [&] {
      pictures.keep(options, frame);
      return FrameInput{heldKeysAt(files.script, frame), scriptedMsAt(frame)};
    });
    if (frame == 0) {
      // As in the game: the sound starts after the first frame, if the game goes on.
      if (!options.muted && game.world.quitRequested == 0) {
        startSound(game.sound);
      }
      pacer.start(game.sound);
    }
    if (files.soundTimes) {
      std::fprintf(files.soundTimes.get(), "%d %.6f\n", frame, pacer.mixedSeconds());
    }
  }
  outcome.ended = game.world.quitRequested != 0;
  outcome.lastFrame = outcome.ended ? frame - 1 : lastFrame;
  pictures.writeGif(options.gifPath);
  return outcome;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  Files files;
  if (const int failed = readArguments(argc, argv, options)) {
    return failed;
  }
  if (!options.pngFrames.empty() || !options.gifPath.empty()) {
    Magick::InitializeMagick(argv[0]);
  }
  if (const int failed = openFiles(options, files)) {
    return failed;
  }
  Game game;
  const auto levels = std::make_shared<const LevelSet>(std::move(files.levels));
  game.world = startWorld(levels);
  if (!options.racePath.empty()) {
    const KeyFrames ghost = keyFramesOf(files.race);
    startTimeTrial(game, levels, &ghost);
  }
  if (const int failed = startGame(game)) {
    return failed;
  }
  const Outcome outcome = replayFrames(game, options, files);
  stopSound(game.sound);
  SDL_Quit();

  for (const auto& [level, firstFrame] : outcome.levelStarts) {
    std::printf("level %d drawn from frame %d\n", level, firstFrame);
  }
  if (outcome.ended) {
    std::printf("the game ended in frame %d\n", outcome.lastFrame);
    if (options.runLink && game.world.goalReached) {
      KeyFrames keys = keyFramesOf(files.script);
      keys.resize(outcome.lastFrame + 1);
      std::printf("#levels=%s&run=%s\n", encodeLevelLink(*game.world.levels).c_str(),
                  encodeRunLink(*game.world.levels, keys).c_str());
    }
    return kExitEnded;
  }
  std::printf("the script ran out after frame %d with the game still on\n", outcome.lastFrame);
  return kExitScriptRanOut;
}
