// Which sound effects a frame calls for, found by comparing the game's state before and after it:
// the rules themselves know nothing of sound.
#pragma once

enum SoundEffect { kJumpSound, kLevelSound, kGoalSound, kSoundEffects };

// The effects' names, which are also their files' names: art/sounds/NAME.sfx, NAME.wav.
extern const char* const kSoundNames[kSoundEffects];

// What the cues are read from, taken between two frames.
struct GameMoment {
  int level = 1;
  float x = 0;
  float y = 0;
  float velocityY = 0;
  bool ended = false;
};

// The effects the frame between the two moments calls for, one bit (1 << SoundEffect) each.
unsigned soundCues(const GameMoment& before, const GameMoment& after);
