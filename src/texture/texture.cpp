// Texture's image: decoded by the TGA reader, owned by the texture.
#include "texture/texture.h"

#include <utility>

#include "texture/tga_reader.h"

namespace {

bool keep(Texture& texture, TgaImage& image, bool decoded) {
  texture.imageData = std::move(image.pixels);
  texture.bpp = image.bpp;
  texture.width = image.width;
  texture.height = image.height;
  return decoded;
}

}  // namespace

bool Texture::parseTGA(const unsigned char* bytes, std::size_t length) {
  TgaImage image;
  const bool decoded = decodeTGA(bytes, length, image);
  return keep(*this, image, decoded);
}

bool Texture::readTGAFile(const std::string& fileName) {
  TgaImage image;
  const bool decoded = ::readTGAFile(fileName, image);
  return keep(*this, image, decoded);
}
