// Writes TGA files: the game's images at build time and the tests' fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A picture in memory: RGB or RGBA bytes, top row first, as a person would draw it.
struct Picture {
  int width = 0;
  int height = 0;
  int channels = 3;  // 3 for a 24-bit file, 4 for a 32-bit one
  std::vector<std::uint8_t> pixels;
};

// The 18 header bytes, field by field, written exactly as they stand.
struct TgaHeader {
  std::uint8_t idLength = 0;
  std::uint8_t colourMapType = 0;
  std::uint8_t imageType = 2;
  std::uint16_t colourMapFirst = 0;
  std::uint16_t colourMapLength = 0;
  std::uint8_t colourMapEntryBits = 0;
  std::uint16_t xOrigin = 0;
  std::uint16_t yOrigin = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t pixelDepth = 24;
  std::uint8_t descriptor = 0;
};

// A whole file, its parts as they go to disk; tests change single fields to make it lie.
struct TgaFile {
  TgaHeader header;
  std::vector<std::uint8_t> imageId;
  std::vector<std::uint8_t> colourMap;
  std::vector<std::uint8_t> pixelBytes;  // BGR(A), in the file's row order
};

constexpr std::uint8_t kTgaTopLeftOrigin = 0x20;

// A consistent uncompressed true-colour file for the picture, bottom row first unless asked.
TgaFile makeTga(const Picture& picture, bool topLeftOrigin = false);

std::vector<std::uint8_t> tgaBytes(const TgaFile& file);

// Writes the bytes to path; false if the file cannot be written.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
