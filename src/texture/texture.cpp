// Texture's image: decoded by the TGA reader, owned by the texture.
#include "texture/texture.h"

#include "texture/tga_reader.h"

namespace {

bool keep(Texture& texture, const TgaImage& image, bool decoded) {
  texture.imageData = image.pixels;
  texture.bpp = image.bpp;
  texture.width = image.width;
  texture.height = image.height;
  return decoded;
}

}  // namespace

Texture::~Texture() {
  releaseImage();
}

void Texture::releaseImage() {
  delete[] imageData;
  imageData = nullptr;
}

bool Texture::parseTGA(const unsigned char* bytes, std::size_t length) {
  releaseImage();
  TgaImage image;
  const bool decoded = decodeTGA(bytes, length, image);
  return keep(*this, image, decoded);
}

bool Texture::readTGAFile(const std::string& fileName) {
  releaseImage();
  TgaImage image;
  const bool decoded = ::readTGAFile(fileName, image);
  return keep(*this, image, decoded);
}
