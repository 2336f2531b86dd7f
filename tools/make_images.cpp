// Writes the game's ten tile-set images into a folder: make_images OUTPUT_DIR
#include <cstdio>
#include <cstring>
#include <string>

#include "tga_writer.h"
#include "tile_art.h"
#include "world/world.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (int code = 0; code < kTileCodes; ++code) {
    if (std::strcmp(kTileArt[code].fileName, tileSet[code].fileName) != 0) {
      std::fprintf(stderr, "make_images: the art for code %d is not %s\n", code,
                   tileSet[code].fileName);
      return 1;
    }
    const std::string path = folder + "/" + tileSet[code].fileName;
    if (!writeFile(path, tgaBytes(makeTga(drawTile(code))))) {
      std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
