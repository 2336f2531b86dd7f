// Which sound effects a frame calls for, found by comparing the world before and after it: the
// rules themselves know nothing of sound.
#pragma once

#include "world/world.h"

enum SoundEffect { kJumpSound, kLevelSound, kGoalSound, kSoundEffects };

// The effects' names, which are also their files' names: art/sounds/NAME.sfx, NAME.wav.
extern const char* const kSoundNames[kSoundEffects];

// The effects the frame between the two worlds calls for, one bit (1 << SoundEffect) each.
unsigned soundCues(const World& before, const World& after);
