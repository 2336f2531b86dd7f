// The ceiling of this machine's OpenGL for the game: the same window, each frame only cleared
// and swapped. bare_window FRAMES prints the frames per second over FRAMES frames.
#include <GL/gl.h>
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// A function of its own, so that callgrind can count the instructions of the frames alone.
__attribute__((noinline)) void bareFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
  glFlush();
  SDL_GL_SwapBuffers();
}

}  // namespace

int main(int argc, char* argv[]) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
  if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(800, 600, 0, SDL_OPENGL) == nullptr) {
    std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
    return 1;
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; frame < frames; ++frame) {
    bareFrame();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SDL_Quit();
  std::printf("%.2f\n", frames / elapsed.count());
  return 0;
}
