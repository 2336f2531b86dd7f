// The fixed OpenGL state and the frame sequence shared by the game, the page and the replays.
#include "app/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "render/render.h"

namespace {

constexpr int kExitNoSdl = 1;
constexpr int kExitNoWindow = 2;

// Without a display, SDL quietly falls back to a window nobody can see or close.
bool windowIsOffscreen() {
  char driver[32] = "";
  return SDL_VideoDriverName(driver, sizeof driver) != nullptr &&
         std::strcmp(driver, "offscreen") == 0;
}

void showFrameRate(FrameRate& frameRate) {
  if (updateFrameRate(frameRate, SDL_GetTicks())) {
    char caption[kCaptionSize];
    formatCaption(frameRate.smoothedFps, caption);
    SDL_WM_SetCaption(caption, nullptr);
  }
}

}  // namespace

int startGame(Game& game, bool fullscreen) {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "Unable to init SDL: %s", SDL_GetError());
    return kExitNoSdl;
  }
  const Uint32 videoFlags = fullscreen ? SDL_OPENGL | SDL_FULLSCREEN : SDL_OPENGL;
  if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, 0, videoFlags) == nullptr) {
    std::fprintf(stderr, "Unable to create OpenGL Scene: %s", SDL_GetError());
    SDL_Quit();
    return kExitNoWindow;
  }
  if (windowIsOffscreen()) {
    std::fprintf(stderr, "Unable to create OpenGL Scene: %s", "no display found");
    SDL_Quit();
    return kExitNoWindow;
  }
  initScene(game.textureTable);
  loadTimerDigits(game.timerDigits);
  return 0;
}

void initScene(TextureTable& textureTable) {
  glViewport(0, 0, kWindowWidth, kWindowHeight);
  // One world unit per tile, origin at the top-left corner, y growing downwards.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, kMapSize, kMapSize, 0.0);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  loadTileSet(textureTable);
}

void restartGame(Game& game, std::shared_ptr<const LevelSet> levels) {
  game.world = startWorld(std::move(levels));
  game.frameRate = FrameRate{};
  game.timeTrial = false;
  game.trial = TimeTrial{};
}

void startTimeTrial(Game& game, std::shared_ptr<const LevelSet> levels,
                    const KeyFrames* ghostKeys) {
  restartGame(game, levels);
  game.timeTrial = true;
  game.trial = startTrial(std::move(levels), ghostKeys);
}

void runFrame(Game& game, const std::function<FrameInput()>& readInput,
              const std::function<void(const SDL_Event&)>& eachEvent) {
  const World before = game.world;
  drawMap(game.world, game.textureTable);
  showFrameRate(game.frameRate);
  if (game.timeTrial && ghostShown(game.trial, game.world)) {
    drawGhost(game.trial.ghost, game.textureTable);
  }
  // drawMap leaves the modelview matrix on its last tile.
  glLoadIdentity();
  drawCharacter(game.world, game.textureTable, 1.0f);
  if (game.timeTrial) {
    const std::string speed = game.speed == 100 ? "" : " " + std::to_string(game.speed) + "%";
    drawTimer(formatTime(game.trial.frames) + speed, game.timerDigits);
  }
  updatePhysics(game.world);

  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      game.world.quitRequested = 1;
    }
    if (eachEvent) {
      eachEvent(event);
    }
  }
  const FrameInput input = readInput();
  const std::uint32_t msNow = game.timeTrial ? scriptedMsAt(game.trial.frames) : input.msNow;
  if (handleInput(game.world, input.keys, msNow) == 1) {
    game.world.quitRequested = 1;
  }
  if (game.timeTrial) {
    countTrialFrame(game.trial, before.currentLevel, input.keys);
  }
  glFlush();
  SDL_GL_SwapBuffers();
  listenToFrame(game.sound, before, game.world);
}
