// Replays the game under a key script, frame for frame, and can keep what it shows.
//   replay SCRIPT [--levels FILE] [--trace FILE] [--png FRAME:FILE]... [--gif FILE] [--fps N]
//          [--mute] [--sound-times FILE]
// Runs in the folder that holds the images and sounds, as the game does. The game's own frame runs
// each frame, with the script's keys held instead of the keyboard's. Frames are counted, not
// timed, so a script replays the same on every machine; --fps N only spaces them out in time, N a
// second, as a display's vertical sync would, so that their sounds can be heard or recorded (by the
// sound device's clock while it is open). --sound-times writes, for each frame, how many seconds of
// sound had been mixed when it ended: where in the device's output that frame's sounds begin.
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
#include <vector>

#include "app/frame.h"
#include "app/shell.h"
#include "key_script.h"
#include "sound/sound.h"
#include "world/levels.h"
#include "world/world.h"

namespace {

constexpr int kExitEnded = 0;
constexpr int kExitUsage = 1;
constexpr int kExitScriptRanOut = 3;

// Waiting out the game's start delay after frame 0 makes the delay cover exactly frame 0 on
// every machine.
constexpr Uint32 kPastStartDelayMs = kStartDelayMs + 1;

constexpr Uint32 kLongestWaitMs = 1000;  // for a clock that has stopped: a failed sound device
constexpr int kGifEveryFrames = 2;       // at about 60 frames a second, a 30 fps animation
constexpr int kGifFrameDelay = 3;        // hundredths of a second
constexpr int kGifLastFrameDelay = 200;  // the ending stays a moment before the loop restarts

KeyScript script;
Uint8 scriptedKeys[SDLK_LAST];
int frame = 0;
std::map<int, std::string> pngFrames;
std::string gifPath;
std::vector<Magick::Image> gifFrames;
int framesPerSecond = 0;  // 0: as fast as the machine draws them

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

void holdScriptedKeys() {
  const auto png = pngFrames.find(frame);
  const bool wantGif = !gifPath.empty() && frame % kGifEveryFrames == 0;
  if (png != pngFrames.end() || wantGif) {
    Magick::Image image = capture();
    if (png != pngFrames.end()) {
      image.write(png->second);
    }
    if (wantGif) {
      image.resize(Magick::Geometry(kWindowWidth / 2, kWindowHeight / 2));
      image.animationDelay(kGifFrameDelay);
      gifFrames.push_back(image);
    }
  }
  heldKeysAt(script, frame, scriptedKeys);
  keyState = scriptedKeys;
}

void writeGif() {
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
  Magick::writeImages(optimized.begin(), optimized.end(), gifPath);
}

// The sound device's own clock: the bytes SDL_mixer has mixed, counted after every chunk.
std::atomic<std::uint64_t> mixedBytes{0};
void countMixed(void*, Uint8*, int length) {
  mixedBytes += static_cast<std::uint64_t>(length);
}

std::uint64_t soundBytesPerSecond() {
  int rate = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) == 0) {
    return 0;
  }
  const int bytesPerSample = (format & 0xFF) / 8;
  return static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(channels * bytesPerSample);
}

std::uint64_t bytesPerSecond = 0;  // of the sound device, once open; else 0

// --fps keeps its count by the sound device's clock while the sound is open, else by the wall
// clock: SDL's disk driver keeps time by sleeping and falls behind the wall clock on a busy
// machine, and its recording still has each frame's sounds at the frame's moment.
std::uint64_t clockNow() {
  return bytesPerSecond > 0 ? mixedBytes.load() : SDL_GetTicks();
}
std::uint64_t clockPerSecond() {
  return bytesPerSecond > 0 ? bytesPerSecond : 1000;
}

// The count starts at frame 1, and anew after a frame that came too late: the frames after a
// stall keep their spacing instead of rushing, as a display never shows two frames at once.
constexpr std::uint64_t kLongestRushMs = 100;
std::uint64_t countStart = 0;
int countFrame = 1;

void startPace() {
  bytesPerSecond = soundBytesPerSecond();
  if (bytesPerSecond > 0) {
    Mix_SetPostMix(countMixed, nullptr);
  }
  countStart = clockNow();
  countFrame = 1;
}

// Waits until the frame is due; a device that stops is waited for a second.
void waitForFrame() {
  if (framesPerSecond <= 0 || frame == 0) {
    return;
  }
  const std::uint64_t perSecond = clockPerSecond();
  const std::uint64_t due =
      countStart + static_cast<std::uint64_t>(frame - countFrame) * perSecond / framesPerSecond;
  const Uint32 waitStart = SDL_GetTicks();
  while (clockNow() < due && SDL_GetTicks() - waitStart < kLongestWaitMs) {
    SDL_Delay(1);
  }
  if (clockNow() > due + perSecond * kLongestRushMs / 1000) {
    countStart = clockNow();
    countFrame = frame;
  }
}

int usage(const char* message) {
  std::fprintf(stderr,
               "replay: %s\nusage: replay SCRIPT [--levels FILE] [--trace FILE] "
               "[--png FRAME:FILE]... [--gif FILE] [--fps N] [--mute] [--sound-times FILE]\n",
               message);
  return kExitUsage;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string scriptPath;
  std::string tracePath;
  std::string soundTimesPath;
  bool muted = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--levels" && hasValue) {
      std::string problem;
      if (!loadLevelFile(argv[++i], playedLevels, problem)) {
        std::fprintf(stderr, "replay: %s\n", problem.c_str());
        return kExitUsage;
      }
    } else if (arg == "--trace" && hasValue) {
      tracePath = argv[++i];
    } else if (arg == "--gif" && hasValue) {
      gifPath = argv[++i];
    } else if (arg == "--fps" && hasValue) {
      framesPerSecond = std::atoi(argv[++i]);
      if (framesPerSecond <= 0) {
        return usage("--fps takes a number of frames a second");
      }
    } else if (arg == "--mute") {
      muted = true;
    } else if (arg == "--sound-times" && hasValue) {
      soundTimesPath = argv[++i];
    } else if (arg == "--png" && hasValue) {
      const std::string value = argv[++i];
      const std::size_t colon = value.find(':');
      if (colon == std::string::npos || colon == 0) {
        return usage("--png takes FRAME:FILE");
      }
      pngFrames[std::atoi(value.substr(0, colon).c_str())] = value.substr(colon + 1);
    } else if (scriptPath.empty() && arg[0] != '-') {
      scriptPath = arg;
    } else {
      return usage(("unexpected '" + arg + "'").c_str());
    }
  }
  if (scriptPath.empty()) {
    return usage("no key script given");
  }
  if (!pngFrames.empty() || !gifPath.empty()) {
    Magick::InitializeMagick(argv[0]);
  }
  std::string error;
  if (!loadKeyScript(scriptPath, script, error)) {
    std::fprintf(stderr, "replay: %s: %s\n", scriptPath.c_str(), error.c_str());
    return kExitUsage;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> soundTimes(nullptr, std::fclose);
  for (auto [path, file] :
       {std::pair(&tracePath, &trace), std::pair(&soundTimesPath, &soundTimes)}) {
    if (!path->empty()) {
      file->reset(std::fopen(path->c_str(), "w"));
      if (!*file) {
        std::fprintf(stderr, "replay: cannot write %s\n", path->c_str());
        return kExitUsage;
      }
    }
  }

  if (const int failed = startGame()) {
    return failed;
  }
  const int lastFrame = lastScriptedFrame(script);
  std::vector<std::pair<int, int>> levelStarts;  // each level after the first, and its first frame
  for (frame = 0; frame <= lastFrame && quitRequested == 0; ++frame) {
    waitForFrame();
    if (trace) {
      // What this frame draws: the position and level before its physics step.
      std::fprintf(trace.get(), "%d %d %.9g %.9g\n", frame, currentLevel, characterX, characterY);
    }
    if (currentLevel > (levelStarts.empty() ? 1 : levelStarts.back().first)) {
      levelStarts.emplace_back(currentLevel, frame);
    }
    runFrame(holdScriptedKeys);
    if (frame == 0) {
      SDL_Delay(kPastStartDelayMs);
      // As in the game: the sound starts after the first frame, if the game goes on.
      if (!muted && quitRequested == 0) {
        startSound();
      }
      startPace();
    }
    if (soundTimes) {
      const double mixedSeconds =
          bytesPerSecond > 0 ? static_cast<double>(mixedBytes) / static_cast<double>(bytesPerSecond)
                             : 0;
      std::fprintf(soundTimes.get(), "%d %.6f\n", frame, mixedSeconds);
    }
  }
  const bool ended = quitRequested != 0;
  stopSound();
  SDL_Quit();
  writeGif();

  for (const auto& [level, firstFrame] : levelStarts) {
    std::printf("level %d drawn from frame %d\n", level, firstFrame);
  }
  if (ended) {
    std::printf("the game ended in frame %d\n", frame - 1);
    return kExitEnded;
  }
  std::printf("the script ran out after frame %d with the game still on\n", lastFrame);
  return kExitScriptRanOut;
}
