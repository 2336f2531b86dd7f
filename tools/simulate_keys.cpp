// Prints the windowless replay of a key script in the replay tool's trace format:
//   simulate_keys SCRIPT
#include <cstdio>
#include <string>

#include "simulate.h"

int main(int argc, char* argv[]) {
  KeyScript script;
  std::string error;
  if (argc != 2 || !loadKeyScript(argv[1], script, error)) {
    std::fprintf(stderr, "simulate_keys: %s\nusage: simulate_keys SCRIPT\n", error.c_str());
    return 1;
  }
  const Simulation run = simulate(script);
  for (const TraceLine& line : run.trace) {
    std::printf("%d %d %.9g %.9g\n", line.frame, line.level, line.x, line.y);
  }
  return 0;
}
