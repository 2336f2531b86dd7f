// The ceiling of this machine's OpenGL for the game: the same window, each frame only cleared
// and swapped. bare_window FRAMES prints the frames per second over FRAMES frames.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
  if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(800, 600, 0, SDL_OPENGL) == nullptr) {
    std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
    return 1;
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  const Uint32 start = SDL_GetTicks();
  for (int frame = 0; frame < frames; ++frame) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    glFlush();
    SDL_GL_SwapBuffers();
  }
  const Uint32 elapsed = SDL_GetTicks() - start;
  SDL_Quit();
  std::printf("%.2f\n", elapsed > 0 ? frames * 1000.0 / elapsed : 0.0);
  return 0;
}
