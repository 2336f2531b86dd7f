// Playing the effects that each frame calls for, through SDL_mixer's channels.
#include "sound/sound.h"

namespace {

void play(SoundPlayer& sound, SoundEffect effect) {
  if (!sound.open || sound.muted || sound.effects[effect] == nullptr) {
    return;
  }
  // Each effect has a channel of its own, so a jump cuts the last jump short instead of adding to
  // it: at most the three effects sound together, and their volumes add up to less than full
  // scale, however long Up is held.
  sound.mixer.haltChannel(effect);
  sound.mixer.playChannel(effect, sound.effects[effect], 0, -1);
}

}  // namespace

void startSound(SoundPlayer& sound) {
  if (sound.open || !loadMixer(sound.mixer) || !openSoundDevice(sound.mixer)) {
    return;
  }
  sound.open = true;
  sound.mixer.allocateChannels(kSoundEffects);
  setSoundVolume(sound, sound.volume);
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    sound.effects[effect] = loadSoundEffect(sound.mixer, kSoundNames[effect]);
  }
}

void stopSound(SoundPlayer& sound) {
  if (!sound.open) {
    return;
  }
  sound.mixer.haltChannel(-1);
  for (Mix_Chunk*& effect : sound.effects) {
    if (effect != nullptr) {
      sound.mixer.freeChunk(effect);
      effect = nullptr;
    }
  }
  sound.mixer.closeAudio();
  sound.open = false;
}

void setSoundMuted(SoundPlayer& sound, bool muted) {
  sound.muted = muted;
  if (muted && sound.open) {
    sound.mixer.haltChannel(-1);
  }
}

void setSoundVolume(SoundPlayer& sound, int percent) {
  sound.volume = percent;
  if (sound.open && sound.mixer.volume != nullptr) {
    sound.mixer.volume(-1, (MIX_MAX_VOLUME * percent + 50) / 100);
  }
}

void listenToFrame(SoundPlayer& sound, const World& before, const World& after) {
  const unsigned cues = soundCues(before, after);
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    if ((cues & (1u << effect)) != 0) {
      play(sound, static_cast<SoundEffect>(effect));
    }
  }
}
