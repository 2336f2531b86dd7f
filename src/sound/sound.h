// The game's sound effects, played with SDL_mixer: the device opens at start-up (in a browser, at
// the player's first key or touch), and each frame's changes choose what plays.
#pragma once

#include <SDL_mixer.h>

// Opens the sound device and loads the effects. Without a device, or for an effect that cannot
// be loaded, the game plays on silently and says nothing. Once open, calling it again does
// nothing.
void startSound();
// Halts and frees the effects and closes the device; before SDL_Quit.
void stopSound();
// Muting halts what is playing and plays nothing more until unmuted: the page's button.
void setSoundMuted(bool muted);
// Plays what the frame just run calls for (a jump, the level change, the second egg). Called at
// the end of every frame; it only reads the game's state.
void listenToFrame();

// Each build's own half, in sound_files.cpp (desktop) or sound_web.cpp (browser).
bool openSoundDevice();
// The effect of that name (see kSoundNames), or null when it cannot be loaded.
Mix_Chunk* loadSoundEffect(const char* name);
