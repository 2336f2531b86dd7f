// One image read from an uncompressed true-colour TGA file, and the OpenGL texture made from it.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class Texture {
 public:
  // Pixels in RGB or RGBA byte order, bottom row first; kept after the upload.
  std::unique_ptr<unsigned char[]> imageData;
  std::uint32_t bpp = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  GLuint texID = 0;
  std::string name;

  // Loads fileName and uploads it; a file that cannot be used leaves a Failed texture, silently.
  Texture(const std::string& fileName, const std::string& name);
  // An empty texture, for decoding without OpenGL.
  Texture() = default;

  bool loadTGA(const std::string& fileName);
  bool buildTexture(const unsigned char* pixels, std::uint32_t pixelWidth,
                    std::uint32_t pixelHeight, GLenum format);

  // The decoding half of loadTGA, which needs no OpenGL: fills imageData, bpp, width and height.
  bool parseTGA(const unsigned char* bytes, std::size_t length);
  bool readTGAFile(const std::string& fileName);

  // GL_RGB for 24-bit images, GL_RGBA for 32-bit ones.
  GLenum pixelFormat() const { return bpp == 32 ? GL_RGBA : GL_RGB; }
};
