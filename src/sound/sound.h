// The game's sound effects, played with SDL_mixer: the device opens at start-up (in a browser, at
// the player's first key or touch), and each frame's changes to the world choose what plays.
#pragma once

#include <SDL_mixer.h>

#include "sound/sound_cues.h"
#include "world/world.h"

// The SDL_mixer functions the game calls, under names of its own: the desktop loads the library
// when the sound starts (sound_files.cpp says why), the page has it built in.
struct Mixer {
  decltype(&Mix_OpenAudio) openAudio = nullptr;
  decltype(&Mix_CloseAudio) closeAudio = nullptr;
  decltype(&Mix_QuerySpec) querySpec = nullptr;
  decltype(&Mix_AllocateChannels) allocateChannels = nullptr;
  decltype(&Mix_LoadWAV_RW) loadWav = nullptr;
  decltype(&Mix_FreeChunk) freeChunk = nullptr;
  decltype(&Mix_PlayChannelTimed) playChannel = nullptr;
  decltype(&Mix_HaltChannel) haltChannel = nullptr;
  decltype(&Mix_SetPostMix) setPostMix = nullptr;
  decltype(&Mix_Volume) volume = nullptr;
};

// The sound of one game: its device and the effects loaded into it.
struct SoundPlayer {
  Mixer mixer;
  bool open = false;
  bool muted = false;
  int volume = 100;  // percent
  Mix_Chunk* effects[kSoundEffects] = {};
};

// Opens the sound device and loads the effects. Without a device, or for an effect that cannot
// be loaded, the game plays on silently and says nothing. Once open, calling it again does
// nothing.
void startSound(SoundPlayer& sound);
// Halts and frees the effects and closes the device; before SDL_Quit.
void stopSound(SoundPlayer& sound);
// Muting halts what is playing and plays nothing more until unmuted: the page's button.
void setSoundMuted(SoundPlayer& sound, bool muted);
// The effects' loudness, 0 to 100 percent of what their descriptions say; before or after the
// sound starts.
void setSoundVolume(SoundPlayer& sound, int percent);
// Plays what the frame between the two worlds calls for (a jump, the level change, the last egg).
void listenToFrame(SoundPlayer& sound, const World& before, const World& after);

// Each build's own half, in sound_files.cpp (desktop) or sound_web.cpp (browser).
// Fills mixer with SDL_mixer's functions; false when the library cannot be had.
bool loadMixer(Mixer& mixer);
bool openSoundDevice(const Mixer& mixer);
// The effect of that name (see kSoundNames), or null when it cannot be loaded.
Mix_Chunk* loadSoundEffect(const Mixer& mixer, const char* name);
