// What the game's look for a newly plugged gamepad costs: SDL's joysticks stopped and started
// again, as the game does once a second while no pad plays. gamepad_rescan RUNS prints the median
// in milliseconds.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char* argv[]) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);  // as the game asks
  if (runs < 1 || SDL_Init(SDL_INIT_JOYSTICK) < 0) {
    std::fprintf(stderr, "gamepad_rescan: %s\n", SDL_GetError());
    return 1;
  }
  std::vector<double> milliseconds;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_NumJoysticks() > 0) {
      SDL_JoystickOpen(0);
    }
    milliseconds.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::nth_element(milliseconds.begin(), milliseconds.begin() + runs / 2, milliseconds.end());
  std::printf("%.2f\n", milliseconds[runs / 2]);
  SDL_Quit();
  return 0;
}
