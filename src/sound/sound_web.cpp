// The browser's sound: Emscripten's SDL_mixer plays through the page's Web Audio, and the effects
// are made here from their descriptions, which the page carries instead of the WAV files (a few
// hundred bytes each instead of kilobytes); the same maker gives the same bytes as the desktop's.
#include <cstdio>

#include "sound/sound.h"
#include "sound/sound_maker.h"

namespace {

constexpr int kMono = 1;
constexpr int kChunkSamples = 512;  // only recorded by Emscripten's mixer
constexpr std::size_t kLongestDescription = 4096;

// The description NAME.sfx from the page's data, NUL-terminated; false if it is missing or
// longer than any description needs to be.
bool readDescription(const char* name, char (&text)[kLongestDescription]) {
  char path[64];
  std::snprintf(path, sizeof path, "%s.sfx", name);
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return false;
  }
  const std::size_t size = std::fread(text, 1, sizeof text, file);
  std::fclose(file);
  text[size < sizeof text ? size : 0] = '\0';
  return size < sizeof text;
}

}  // namespace

bool openSoundDevice() {
  return Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, kMono, kChunkSamples) == 0;
}

Mix_Chunk* loadSoundEffect(const char* name) {
  static char text[kLongestDescription];
  SoundDescription sound;
  char error[kSoundErrorSize];
  if (!readDescription(name, text) || !parseSoundDescription(text, sound, error)) {
    return nullptr;
  }
  std::vector<std::uint8_t> wav = wavBytes(makeSamples(sound));
  SDL_RWops* bytes = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
  // The mixer copies the bytes before it returns.
  Mix_Chunk* chunk = Mix_LoadWAV_RW(bytes, 0);
  SDL_FreeRW(bytes);
  return chunk;
}
