// Playing the effects that each frame calls for, through SDL_mixer's channels.
#include "sound/sound.h"

#include "app/shell.h"
#include "sound/sound_cues.h"
#include "world/world.h"

namespace {

bool soundOpen = false;
bool muted = false;
Mix_Chunk* effects[kSoundEffects] = {};
GameMoment lastMoment;

GameMoment gameMomentNow() {
  GameMoment moment;
  moment.level = currentLevel;
  moment.x = characterX;
  moment.y = characterY;
  moment.velocityY = velocityY;
  moment.ended = quitRequested != 0;
  return moment;
}

void play(SoundEffect effect) {
  if (!soundOpen || muted || effects[effect] == nullptr) {
    return;
  }
  // Each effect has a channel of its own, so a jump cuts the last jump short instead of adding to
  // it: at most the three effects sound together, and their volumes add up to less than full
  // scale, however long Up is held.
  Mix_HaltChannel(effect);
  Mix_PlayChannel(effect, effects[effect], 0);
}

}  // namespace

void startSound() {
  if (soundOpen || !openSoundDevice()) {
    return;
  }
  soundOpen = true;
  Mix_AllocateChannels(kSoundEffects);
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    effects[effect] = loadSoundEffect(kSoundNames[effect]);
  }
}

void stopSound() {
  if (!soundOpen) {
    return;
  }
  Mix_HaltChannel(-1);
  for (Mix_Chunk*& effect : effects) {
    if (effect != nullptr) {
      Mix_FreeChunk(effect);
      effect = nullptr;
    }
  }
  Mix_CloseAudio();
  soundOpen = false;
}

void setSoundMuted(bool mute) {
  muted = mute;
  if (muted && soundOpen) {
    Mix_HaltChannel(-1);
  }
}

void listenToFrame() {
  const GameMoment now = gameMomentNow();
  const unsigned cues = soundCues(lastMoment, now);
  lastMoment = now;
  for (int effect = 0; effect < kSoundEffects; ++effect) {
    if ((cues & (1u << effect)) != 0) {
      play(static_cast<SoundEffect>(effect));
    }
  }
}
