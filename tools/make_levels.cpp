// Writes the game's own levels as a level file: make_levels OUTPUT_DIR writes
// OUTPUT_DIR/built-in.txt. The maps in src/world/world.cpp are their one home; this file is made
// from them at every build, for players to open, change and share.
#include <cstdio>
#include <string>
#include <vector>

#include "tga_writer.h"
#include "world/levels.h"
#include "world/world.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/built-in.txt";
  const std::string text =
      "# The game's own two levels, as it plays them when no level file is given.\n"
      "# The chicken starts in row " +
      std::to_string(cellIndex(kStartY)) + ", column " + std::to_string(cellIndex(kStartX)) +
      " of the first level, counting from 0.\n" + writeLevels(builtInLevels());
  if (!writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()))) {
    std::fprintf(stderr, "make_levels: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
