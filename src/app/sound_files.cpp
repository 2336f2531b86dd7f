// The desktop's sound: the device opened quietly, and the WAV files that make_sounds drew at build
// time read from the working directory, beside the images.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/sound.h"
#include "sound/sound_maker.h"

namespace {

constexpr int kMono = 1;
constexpr int kChunkSamples = 512;  // about 23 ms at the effects' rate: a jump is heard at once

}  // namespace

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
