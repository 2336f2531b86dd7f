// Sound cues from the game's state between frames.
#include "sound/sound_cues.h"

#include "world/world.h"

const char* const kSoundNames[kSoundEffects] = {"jump", "level", "goal"};

unsigned soundCues(const GameMoment& before, const GameMoment& after) {
  unsigned cues = 0;
  // Without a jump, a frame's speed only grows by gravity or drops to zero on landing; a jump
  // sets it upwards, also in the frame of a landing that held Up turns into the next jump.
  if (after.velocityY < 0 && after.velocityY < before.velocityY) {
    cues |= 1u << kJumpSound;
  }
  if (after.level > before.level) {
    cues |= 1u << kLevelSound;
  }
  // The game ends at the last level's egg when the egg is the tile below the cell where the
  // frame's step began; Escape and a closed window end it anywhere else.
  const int lastLevel = static_cast<int>(playedLevels.size());
  if (!before.ended && after.ended && after.level == lastLevel &&
      tileAt(lastLevel, cellIndex(before.y) + 1, cellIndex(before.x)) == kEggTile) {
    cues |= 1u << kGoalSound;
  }
  return cues;
}
