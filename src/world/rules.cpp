// How the chicken moves: gravity and landing each frame, then walking and jumping from the keys.
#include "world/world.h"

namespace {

// Per frame, not per second: the game's speed follows the frame rate.
constexpr float kWalkStep = 0.2f;
constexpr float kJumpSpeed = -0.5f;
constexpr float kJumpLift = 0.5f;  // the jump's immediate rise, before gravity has a say
constexpr float kGravity = 0.02f;
constexpr double kLandingPush = 0.1;  // lifts a landed character back out of the ground
constexpr float kLeftLimit = 0.0f;
constexpr float kRightLimit = 19.0f;
constexpr float kLowestLanding = 19.0f;  // a landing further down puts the character at the top

void land(World& world) {
  world.onGround = true;
  world.characterY = static_cast<float>(world.characterY - kLandingPush);
  world.velocityY = 0.0f;
  if (world.characterY > kLowestLanding) {
    world.characterY = 0.0f;
  }
}

}  // namespace

void updatePhysics(World& world) {
  const int column = cellIndex(world.characterX);
  const int row = cellIndex(world.characterY);
  world.velocityY = static_cast<float>(double{world.velocityY} + kGravity);
  world.characterY = static_cast<float>(double{world.characterY} + world.velocityY);

  // Only the tile just below the cell of the top-left corner counts: no walls, no ceilings. An
  // egg leads on to the next level at once, where the same cell is looked at again.
  for (;;) {
    const int below = tileAt(world, row + 1, column);
    if (below == kSolidTile) {
      land(world);
    } else if (below == kEggTile) {
      if (world.currentLevel < levelCount(world)) {
        ++world.currentLevel;
        continue;
      }
      world.quitRequested = 1;
      world.goalReached = true;
    }
    break;
  }
}

int handleInput(World& world, const HeldKeys& keys, std::uint32_t msNow) {
  if (!world.inputClockStarted) {
    world.inputStartMs = msNow;
    world.inputClockStarted = true;
  }
  if (keys.escape) {
    return 1;
  }
  // Differences of the wrapping millisecond clock, as signed numbers.
  const auto sinceStart = static_cast<std::int32_t>(msNow - world.inputStartMs);
  if (sinceStart > kStartDelayMs) {
    if (keys.left) {
      world.characterX = static_cast<float>(double{world.characterX} - kWalkStep);
    }
    if (keys.right) {
      world.characterX = static_cast<float>(double{world.characterX} + kWalkStep);
    }
    if (keys.up && world.onGround) {
      world.onGround = false;
      world.velocityY = kJumpSpeed;
      world.characterY = static_cast<float>(double{world.characterY} - kJumpLift);
    }
    if (world.characterX < kLeftLimit) {
      world.characterX = kLeftLimit;
    } else if (world.characterX > kRightLimit) {
      world.characterX = kRightLimit;
    }
  }
  return 0;
}
