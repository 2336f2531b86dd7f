// Turns a decoded image into an OpenGL texture object; needs the game's current GL context.
#include "texture/texture.h"

Texture::Texture(const std::string& fileName, const std::string& name) {
  loadTGA(fileName);
  this->name = name;
}

bool Texture::loadTGA(const std::string& fileName) {
  if (!readTGAFile(fileName)) {
    return false;
  }
  return buildTexture(imageData.get(), width, height, pixelFormat());
}

bool Texture::buildTexture(const unsigned char* pixels, std::uint32_t pixelWidth,
                           std::uint32_t pixelHeight, GLenum format) {
  glGenTextures(1, &texID);
  glBindTexture(GL_TEXTURE_2D, texID);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  // OpenGL expects every row to start on a 4-byte boundary by default; our rows are packed, so
  // a 24-bit row whose length is not a multiple of 4 would be read skewed and past the buffer.
  const std::uint32_t bytesPerPixel = format == GL_RGBA ? 4 : 3;
  const bool rowsUnaligned = (pixelWidth * bytesPerPixel) % 4 != 0;
  if (rowsUnaligned) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  }
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), static_cast<GLsizei>(pixelWidth),
               static_cast<GLsizei>(pixelHeight), 0, format, GL_UNSIGNED_BYTE, pixels);
  if (rowsUnaligned) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  }
  return true;
}
