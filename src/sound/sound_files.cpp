// The desktop's sound: SDL_mixer loaded when the sound starts, the device opened quietly, and the
// WAV files that make_sounds drew at build time read from the working directory, beside the
// images.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sound/sound.h"
#include "sound/sound_maker.h"

namespace {

constexpr int kMono = 1;
constexpr int kChunkSamples = 512;  // about 23 ms at the effects' rate: a jump is heard at once
constexpr const char* kMixerLibrary = "libSDL_mixer-1.2.so.0";

// Debian's SDL_mixer 1.2 brings some forty libraries of music decoders and synthesizers
// (FluidSynth, JACK, GLib, libsndfile...) that the game's WAV files do not need. Linked to the
// game, they would load with every start, about 10 ms before the first frame; so the library is
// opened when the sound starts, and the functions below pass the game's calls on to it.
struct Mixer {
  decltype(&Mix_OpenAudio) openAudio;
  decltype(&Mix_CloseAudio) closeAudio;
  decltype(&Mix_QuerySpec) querySpec;
  decltype(&Mix_AllocateChannels) allocateChannels;
  decltype(&Mix_LoadWAV_RW) loadWav;
  decltype(&Mix_FreeChunk) freeChunk;
  decltype(&Mix_PlayChannelTimed) playChannel;
  decltype(&Mix_HaltChannel) haltChannel;
  decltype(&Mix_SetPostMix) setPostMix;
};
Mixer mixer;

template <typename Function>
bool find(void* library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

bool loadMixer() {
  if (mixer.openAudio != nullptr) {
    return true;
  }
  void* library = dlopen(kMixerLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    return false;
  }
  Mixer found = {};
  if (find(library, found.openAudio, "Mix_OpenAudio") &&
      find(library, found.closeAudio, "Mix_CloseAudio") &&
      find(library, found.querySpec, "Mix_QuerySpec") &&
      find(library, found.allocateChannels, "Mix_AllocateChannels") &&
      find(library, found.loadWav, "Mix_LoadWAV_RW") &&
      find(library, found.freeChunk, "Mix_FreeChunk") &&
      find(library, found.playChannel, "Mix_PlayChannelTimed") &&
      find(library, found.haltChannel, "Mix_HaltChannel") &&
      find(library, found.setPostMix, "Mix_SetPostMix")) {
    mixer = found;
    return true;
  }
  dlclose(library);
  return false;
}

}  // namespace

// SDL_mixer's own functions, as the game and the replay tool call them; all but Mix_OpenAudio
// and Mix_QuerySpec are called only once the sound device is open, so the library is loaded.
extern "C" {

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
  return loadMixer() ? mixer.openAudio(frequency, format, channels, chunkSize) : -1;
}

void Mix_CloseAudio() {
  mixer.closeAudio();
}

int Mix_QuerySpec(int* frequency, Uint16* format, int* channels) {
  return mixer.querySpec != nullptr ? mixer.querySpec(frequency, format, channels) : 0;
}

int Mix_AllocateChannels(int count) {
  return mixer.allocateChannels(count);
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* source, int freeSource) {
  return mixer.loadWav(source, freeSource);
}

void Mix_FreeChunk(Mix_Chunk* chunk) {
  mixer.freeChunk(chunk);
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
  return mixer.playChannel(channel, chunk, loops, ticks);
}

int Mix_HaltChannel(int channel) {
  return mixer.haltChannel(channel);
}

void Mix_SetPostMix(void (*mixFunction)(void*, Uint8*, int), void* argument) {
  mixer.setPostMix(mixFunction, argument);
}

}  // extern "C"

bool openSoundDevice() {
  // Without a sound card, ALSA's library writes a page of complaints while SDL tries it. The
  // game's standard error stays as it has always been: nothing, or one start-up failure.
  std::fflush(stderr);
  const int keptError = dup(STDERR_FILENO);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const bool quieted = keptError >= 0 && nowhere >= 0 && dup2(nowhere, STDERR_FILENO) >= 0;
  const bool opened = Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, kMono, kChunkSamples) == 0;
  std::fflush(stderr);
  if (quieted) {
    dup2(keptError, STDERR_FILENO);
  }
  for (int descriptor : {keptError, nowhere}) {
    if (descriptor >= 0) {
      close(descriptor);
    }
  }
  return opened;
}

Mix_Chunk* loadSoundEffect(const char* name) {
  return Mix_LoadWAV((std::string(name) + ".wav").c_str());
}
