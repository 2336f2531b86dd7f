// How the chicken moves: gravity and landing each frame, then walking and jumping from the keys.
#include <SDL.h>

#include "app/shell.h"
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

bool inputClockStarted = false;
Uint32 inputStartTicks = 0;

bool keyHeld(SDLKey key) {
  return keyState != nullptr && keyState[key] != 0;
}

void land() {
  onGround = true;
  characterY = static_cast<float>(characterY - kLandingPush);
  velocityY = 0.0f;
  if (characterY > kLowestLanding) {
    characterY = 0.0f;
  }
}

}  // namespace

float velocityY = 0.0f;
bool onGround = false;

void updatePhysics() {
  const int column = cellIndex(characterX);
  const int row = cellIndex(characterY);
  velocityY = static_cast<float>(double{velocityY} + kGravity);
  characterY = static_cast<float>(double{characterY} + velocityY);

  // Only the tile just below the cell of the top-left corner counts: no walls, no ceilings. An
  // egg leads on to the next level at once, where the same cell is looked at again.
  for (;;) {
    const int below = tileAt(currentLevel, row + 1, column);
    if (below == kSolidTile) {
      land();
    } else if (below == kEggTile) {
      if (currentLevel < static_cast<int>(playedLevels.size())) {
        ++currentLevel;
        continue;
      }
      quitRequested = 1;
    }
    break;
  }
}

int handleInput() {
  if (!inputClockStarted) {
    inputStartTicks = SDL_GetTicks();
    inputClockStarted = true;
  }
  if (keyHeld(SDLK_ESCAPE)) {
    return 1;
  }
  const Sint32 sinceStart = static_cast<Sint32>(SDL_GetTicks() - inputStartTicks);
  if (sinceStart > kStartDelayMs) {
    if (keyHeld(SDLK_LEFT)) {
      characterX = static_cast<float>(double{characterX} - kWalkStep);
    }
    if (keyHeld(SDLK_RIGHT)) {
      characterX = static_cast<float>(double{characterX} + kWalkStep);
    }
    if (keyHeld(SDLK_UP) && onGround) {
      onGround = false;
      velocityY = kJumpSpeed;
      characterY = static_cast<float>(double{characterY} - kJumpLift);
    }
    if (characterX < kLeftLimit) {
      characterX = kLeftLimit;
    } else if (characterX > kRightLimit) {
      characterX = kRightLimit;
    }
  }
  return 0;
}

void resetWorld() {
  currentLevel = 1;
  characterX = kStartX;
  characterY = kStartY;
  velocityY = 0.0f;
  onGround = false;
  inputClockStarted = false;
  inputStartTicks = 0;
}
