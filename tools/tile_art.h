// The tile set's pictures: palette-indexed 32 x 32 character grids, one per tile code.
#pragma once

#include "tga_writer.h"

constexpr int kArtSize = 32;

struct TileArt {
  const char* fileName;
  int channels;                // 4 for the chicken, 3 for the rest
  const char* rows[kArtSize];  // top row first, one palette key per pixel
};

// In tile-code order, so kTileArt[code] is the picture of tileSet[code].
extern const TileArt kTileArt[];

// The picture of one tile code, its colours looked up in the palette.
Picture drawTile(int code);
