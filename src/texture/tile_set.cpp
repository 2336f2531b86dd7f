// Loads the tile set's ten images, and the time trial's digits, from the working directory.
#include "texture/tile_set.h"

void loadTileSet(TextureTable& textureTable) {
  for (int code = 0; code < kTileCodes; ++code) {
    textureTable[code] = Texture(tileSet[code].fileName, tileSet[code].name);
  }
}

void loadTimerDigits(Texture& digits) {
  digits = Texture(kTimerDigitsFile, "Digits");
  if (digits.texID != 0) {
    // Pixel art scaled by whole pixels: sharp, where the tiles' smoothing would blur it.
    glBindTexture(GL_TEXTURE_2D, digits.texID);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Its width is no power of two, which WebGL samples only without repeating it.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
}
