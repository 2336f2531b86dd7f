// The desktop's sound: SDL_mixer loaded when the sound starts, the device opened quietly, and the
// WAV files that make_sounds drew at build time read from the working directory, beside the
// images.
#include <SDL.h>
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
// opened when the sound starts, and the game calls its functions through the Mixer's pointers.
template <typename Function>
bool find(void* library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

bool loadMixer(Mixer& mixer) {
  if (mixer.openAudio != nullptr) {
    return true;
  }
  void* library = dlopen(kMixerLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    return false;
  }
  Mixer found;
  if (find(library, found.openAudio, "Mix_OpenAudio") &&
      find(library, found.closeAudio, "Mix_CloseAudio") &&
      find(library, found.querySpec, "Mix_QuerySpec") &&
      find(library, found.allocateChannels, "Mix_AllocateChannels") &&
      find(library, found.loadWav, "Mix_LoadWAV_RW") &&
      find(library, found.freeChunk, "Mix_FreeChunk") &&
      find(library, found.playChannel, "Mix_PlayChannelTimed") &&
      find(library, found.haltChannel, "Mix_HaltChannel") &&
      find(library, found.setPostMix, "Mix_SetPostMix") &&
      find(library, found.volume, "Mix_Volume")) {
    mixer = found;
    return true;
  }
  dlclose(library);
  return false;
}

bool openSoundDevice(const Mixer& mixer) {
  // Without a sound card, ALSA's library writes a page of complaints while SDL tries it. The
  // game's standard error stays as it has always been: nothing, or one start-up failure.
  std::fflush(stderr);
  const int keptError = dup(STDERR_FILENO);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const bool quieted = keptError >= 0 && nowhere >= 0 && dup2(nowhere, STDERR_FILENO) >= 0;
  const bool opened = mixer.openAudio(kSampleRate, AUDIO_S16SYS, kMono, kChunkSamples) == 0;
  if (!opened) {
    // The driver SDL started stays behind a failed open, and ALSA's polls for new devices every
    // second in a thread of its own for the rest of the game: a game without sound keeps none.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
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

Mix_Chunk* loadSoundEffect(const Mixer& mixer, const char* name) {
  SDL_RWops* file = SDL_RWFromFile((std::string(name) + ".wav").c_str(), "rb");
  return file != nullptr ? mixer.loadWav(file, 1) : nullptr;
}
