// The generated tile set: it loads through the game's reader, and its tiles repeat without seams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "texture/texture.h"
#include "tile_art.h"
#include "world/world.h"

namespace {

constexpr int kSkyTile = 2;
constexpr int kGround1Tile = 0;
constexpr int kHorizonTile = 3;
constexpr int kRangeTile = 8;

// The mean difference, per channel, between two runs of pixels of one picture.
double meanDifference(const Picture& a, int aStart, const Picture& b, int bStart, int count,
                      int aStep, int bStep) {
  double total = 0.0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* pa = &a.pixels[(aStart + i * aStep) * a.channels];
    const std::uint8_t* pb = &b.pixels[(bStart + i * bStep) * b.channels];
    for (int c = 0; c < 3; ++c) {
      total += std::abs(pa[c] - pb[c]);
    }
  }
  return total / (count * 3);
}

double columnSeam(const Picture& picture) {
  // Column 31 of one copy meets column 0 of the next.
  return meanDifference(picture, kArtSize - 1, picture, 0, kArtSize, kArtSize, kArtSize);
}

double rowSeam(const Picture& above, const Picture& below) {
  return meanDifference(above, (kArtSize - 1) * kArtSize, below, 0, kArtSize, 1, 1);
}

TEST(TileArt, GeneratedFilesLoadThroughTheGamesReader) {
  for (int code = 0; code < kTileCodes; ++code) {
    Texture texture;
    const std::string path = std::string(EGGQUEST_RUN_DIR) + "/" + tileSet[code].fileName;
    ASSERT_TRUE(texture.readTGAFile(path)) << path;
    EXPECT_EQ(texture.width, 32u);
    EXPECT_EQ(texture.height, 32u);
    EXPECT_EQ(texture.bpp, code == kCharacterTile ? 32u : 24u) << path;

    // Bottom row first in the texture, top row first in the drawing.
    const Picture picture = drawTile(code);
    const std::size_t rowBytes = kArtSize * picture.channels;
    for (int row = 0; row < kArtSize; ++row) {
      const std::vector<std::uint8_t> loaded(texture.imageData + row * rowBytes,
                                             texture.imageData + (row + 1) * rowBytes);
      const auto drawn = picture.pixels.begin() + (kArtSize - 1 - row) * rowBytes;
      ASSERT_TRUE(std::equal(loaded.begin(), loaded.end(), drawn)) << path << " row " << row;
    }
  }
}

TEST(TileArt, RepeatingTilesShowNoSeams) {
  constexpr double kInvisible = 12.0;  // out of 255, averaged along the edge
  for (int code : {kGround1Tile, kSolidTile, kSkyTile, kHorizonTile, kRangeTile}) {
    EXPECT_LT(columnSeam(drawTile(code)), kInvisible) << tileSet[code].fileName;
  }
  // The level's bottom rows, top to bottom: hills, grass on soil, deep soil.
  EXPECT_LT(rowSeam(drawTile(kHorizonTile), drawTile(kSolidTile)), kInvisible);
  EXPECT_LT(rowSeam(drawTile(kSolidTile), drawTile(kGround1Tile)), kInvisible);
  // The sky is one colour: no banding down a column of 17 copies.
  EXPECT_EQ(rowSeam(drawTile(kSkyTile), drawTile(kSkyTile)), 0.0);
}

TEST(TileArt, FiguresStandOnTheSkysColour) {
  const Picture sky = drawTile(kSkyTile);
  for (int code : {kCharacterTile, kEggTile, 4, 6, 7}) {
    const Picture figure = drawTile(code);
    EXPECT_EQ(meanDifference(figure, 0, sky, 0, 1, 1, 1), 0.0) << tileSet[code].fileName;
  }
}

TEST(TileArt, NoTwoImagesAreAlike) {
  for (int a = 0; a < kTileCodes; ++a) {
    for (int b = a + 1; b < kTileCodes; ++b) {
      EXPECT_NE(drawTile(a).pixels, drawTile(b).pixels)
          << tileSet[a].fileName << " and " << tileSet[b].fileName;
    }
  }
}

}  // namespace
