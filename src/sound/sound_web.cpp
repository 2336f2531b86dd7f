// The browser's sound: Emscripten's SDL_mixer, built into the page, plays through the page's Web
// Audio, and the effects are made here from their descriptions, which the page carries instead of
// the WAV files (a few hundred bytes each instead of kilobytes); the same maker gives the same
// bytes as the desktop's.
#include <cstdio>
#include <string>

#include "sound/sound.h"
#include "sound/sound_maker.h"

namespace {

constexpr int kMono = 1;
constexpr int kChunkSamples = 512;  // only recorded by Emscripten's mixer
constexpr std::size_t kLongestDescription = 4096;

// The description NAME.sfx from the page's data; false if it is missing or longer than any
// description needs to be.
bool readDescription(const char* name, std::string& text) {
  const std::string path = std::string(name) + ".sfx";
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  text.assign(kLongestDescription, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text.size() < kLongestDescription;
}

}  // namespace

// The replay tool's clock (querySpec, setPostMix) is the desktop's alone.
bool loadMixer(Mixer& mixer) {
  mixer.openAudio = Mix_OpenAudio;
  mixer.closeAudio = Mix_CloseAudio;
  mixer.allocateChannels = Mix_AllocateChannels;
  mixer.loadWav = Mix_LoadWAV_RW;
  mixer.freeChunk = Mix_FreeChunk;
  mixer.playChannel = Mix_PlayChannelTimed;
  mixer.haltChannel = Mix_HaltChannel;
  mixer.volume = Mix_Volume;
  return true;
}

bool openSoundDevice(const Mixer& mixer) {
  return mixer.openAudio(kSampleRate, AUDIO_S16SYS, kMono, kChunkSamples) == 0;
}

Mix_Chunk* loadSoundEffect(const Mixer& mixer, const char* name) {
  std::string text;
  SoundDescription sound;
  char error[kSoundErrorSize];
  if (!readDescription(name, text) || !parseSoundDescription(text.c_str(), sound, error)) {
    return nullptr;
  }
  std::vector<std::uint8_t> wav = wavBytes(makeSamples(sound));
  SDL_RWops* bytes = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
  // The mixer copies the bytes before it returns.
  Mix_Chunk* chunk = mixer.loadWav(bytes, 0);
  SDL_FreeRW(bytes);
  return chunk;
}
