// Makes the game's sound effects from their descriptions: make_sounds SOUNDS_DIR OUTPUT_DIR
// For each effect it reads SOUNDS_DIR/<name>.sfx and writes OUTPUT_DIR/<name>.wav, the same bytes
// every time. A description with a missing, unknown or out-of-range field stops the build,
// naming the file and the field.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sound/sound_cues.h"
#include "sound/sound_maker.h"
#include "tga_writer.h"

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOUNDS_DIR OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string soundsFolder = argv[1];
  const std::string outputFolder = argv[2];
  SoundDescription sounds[kSoundEffects];
  double loudest = 0;
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    const std::string path = soundsFolder + "/" + kSoundNames[effect] + ".sfx";
    std::ifstream file(path);
    if (!file) {
      std::fprintf(stderr, "make_sounds: cannot read %s\n", path.c_str());
      return 1;
    }
    std::ostringstream text;
    text << file.rdbuf();
    char error[kSoundErrorSize];
    if (!parseSoundDescription(text.str().c_str(), sounds[effect], error)) {
      std::fprintf(stderr, "make_sounds: %s: %s\n", path.c_str(), error);
      return 1;
    }
    loudest += sounds[effect].volume;
  }
  // Each effect plays on a channel of its own, so at worst all of them sound at once.
  if (loudest > 1) {
    std::fprintf(stderr,
                 "make_sounds: the effects' volumes add up to more than 1: played together they "
                 "would clip\n");
    return 1;
  }
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    const std::string path = outputFolder + "/" + kSoundNames[effect] + ".wav";
    if (!writeFile(path, wavBytes(makeSamples(sounds[effect])))) {
      std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
