// Loads the tile set's ten images from the working directory.
#include "texture/tile_set.h"

void loadTileSet(TextureTable& textureTable) {
  for (int code = 0; code < kTileCodes; ++code) {
    textureTable[code] = Texture(tileSet[code].fileName, tileSet[code].name);
  }
}
