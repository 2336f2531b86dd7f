// Decodes uncompressed true-colour TGA files into RGB(A) pixels, bottom row first; no OpenGL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A decoded image. pixels is null when the bytes were refused; the size and depth are the header's
// once a true-colour header has been read, else 0.
struct TgaImage {
  std::unique_ptr<unsigned char[]> pixels;
  std::uint32_t bpp = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The bytes of a whole file. Every header field and the length are checked before anything is
// allocated.
bool decodeTGA(const unsigned char* bytes, std::size_t length, TgaImage& image);

// A file by name, reading no more of it than its header asks for.
bool readTGAFile(const std::string& fileName, TgaImage& image);
