// Sound cues from the world between frames.
#include "sound/sound_cues.h"

const char* const kSoundNames[kSoundEffects] = {"jump", "level", "goal"};

unsigned soundCues(const World& before, const World& after) {
  unsigned cues = 0;
  // Without a jump, a frame's speed only grows by gravity or drops to zero on landing; a jump
  // sets it upwards, also in the frame of a landing that held Up turns into the next jump.
  if (after.velocityY < 0 && after.velocityY < before.velocityY) {
    cues |= 1u << kJumpSound;
  }
  if (after.currentLevel > before.currentLevel) {
    cues |= 1u << kLevelSound;
  }
  // Escape and a closed window end the game silently.
  if (!before.goalReached && after.goalReached) {
    cues |= 1u << kGoalSound;
  }
  return cues;
}
