// Makes the desktop icon from the chicken's image: make_icon CHARACTER_TGA SIZE OUTPUT_PNG
// The image is read as the game reads it, enlarged without blurring its pixels, and its
// background (clear in the image's alpha) stays transparent.
#include <Magick++.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "texture/texture.h"

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CHARACTER_TGA SIZE OUTPUT_PNG\n", argv[0]);
    return 2;
  }
  Magick::InitializeMagick(argv[0]);
  Texture chicken;
  if (!chicken.readTGAFile(argv[1]) || chicken.bpp != 32) {
    std::fprintf(stderr, "make_icon: %s is not a 32-bit TGA image\n", argv[1]);
    return 1;
  }
  const int size = std::atoi(argv[2]);
  Magick::Image icon(chicken.width, chicken.height, "RGBA", Magick::CharPixel, chicken.imageData);
  icon.flip();  // the texture holds the bottom row first
  icon.filterType(Magick::PointFilter);
  icon.resize(Magick::Geometry(size, size));
  icon.write(std::string("png32:") + argv[3]);
  return 0;
}
