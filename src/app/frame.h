// Start-up of the OpenGL scene and the one frame that the game repeats until it ends, shared by
// the desktop game, the page and the replay tool, each of which holds its own Game.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/frame_rate.h"
#include "sound/sound.h"
#include "texture/tile_set.h"
#include "world/run.h"
#include "world/world.h"

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// One running game: its world, the pictures it draws, its caption's counters and its sound, and
// in a time trial the trial: its timer, the player's run, the ghost.
struct Game {
  World world = startWorld();
  TextureTable textureTable;
  Texture timerDigits;
  FrameRate frameRate;
  SoundPlayer sound;
  bool timeTrial = false;
  TimeTrial trial;
  int speed = 100;  // percent, shown beside a time trial's time when slower
};

// What the rules are to read in a frame, taken once its events are drained: the keys held (from
// the keyboard and the pad, or a replay's script) and the millisecond clock.
struct FrameInput {
  HeldKeys keys;
  std::uint32_t msNow = 0;
};

// Starts SDL, opens the 800 x 600 OpenGL window (filling the screen, scaled at 4:3, when
// fullscreen) and sets up the scene and the game's textures. Returns 0 when the game can run,
// else the exit status to end with, its message already on standard error.
int startGame(Game& game, bool fullscreen = false);

// Fixed OpenGL state for the whole run, then the tile set; needs the window's context.
void initScene(TextureTable& textureTable);

// The game back at the start of a run of these levels, its caption's counters too: "Play again".
void restartGame(Game& game, std::shared_ptr<const LevelSet> levels);
// The same, as a time trial: raced against the run of ghostKeys, or against none.
void startTimeTrial(Game& game, std::shared_ptr<const LevelSet> levels, const KeyFrames* ghostKeys);

// One frame: draw, show the rate, step the rules, drain the events, apply the keys, swap; then
// the sound effects that the frame's changes call for. eachEvent, when given, also sees every
// event the pump drains. In a time trial the ghost is drawn under the chicken and the timer over
// everything, the frame's keys are kept, and the start delay is the run's own (frame 0), so that
// the run kept replays exactly.
void runFrame(Game& game, const std::function<FrameInput()>& readInput,
              const std::function<void(const SDL_Event&)>& eachEvent = nullptr);
