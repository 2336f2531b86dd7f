// Loads the tile set's ten images from the working directory.
#include "texture/tile_set.h"

std::unique_ptr<Texture> textureTable[kTileCodes];

void loadTileSet() {
  for (int code = 0; code < kTileCodes; ++code) {
    textureTable[code] = std::make_unique<Texture>(tileSet[code].fileName, tileSet[code].name);
  }
}
