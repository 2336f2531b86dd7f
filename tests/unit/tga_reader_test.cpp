// The TGA decoder: what it accepts, what it refuses, and that refusing costs nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <numeric>

#include "texture/texture.h"
#include "tga_writer.h"

static std::size_t largestRequest = 0;  // of new (std::nothrow), where the pixels come from
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  largestRequest = std::max(largestRequest, size);
  return ::operator new[](size);  // a failure ends the run; only a fault asks that much
}

namespace {

// Two rows each, after an image id of 4 bytes and a colour map of three 15-bit entries; the
// texture holds the bottom row first.
TEST(TgaReader, DecodesRgbBottomRowFirstAndRefusesOneByteLess) {
  for (const auto& [width, channels, topLeft] : {std::tuple{5, 3, true}, {3, 4, false}}) {
    Picture image{width, 2, channels, std::vector<std::uint8_t>(width * 2 * channels)};
    std::iota(image.pixels.begin(), image.pixels.end(), 1);
    std::vector<std::uint8_t> bytes = tgaBytes(makeTga(image, topLeft));
    bytes.insert(bytes.begin() + 18, 4 + 3 * 2, 0xAB);
    for (const auto& [offset, value] : {std::pair{0, 4}, {1, 1}, {5, 3}, {7, 15}})
      bytes[offset] = value;
    Texture texture;
    ASSERT_TRUE(texture.parseTGA(bytes.data(), bytes.size())) << channels;
    EXPECT_EQ(texture.pixelFormat(), channels == 4 ? GL_RGBA : GL_RGB);
    std::rotate(image.pixels.begin(), image.pixels.begin() + width * channels, image.pixels.end());
    EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.end(), texture.imageData.get()));
    EXPECT_FALSE(texture.parseTGA(bytes.data(), bytes.size() - 1)) << channels;
    EXPECT_EQ(texture.imageData, nullptr);
  }
}

// A good 4 x 4, 24-bit file with its header changed, and a file shorter than a header.
TEST(TgaReader, RefusesWhatItCannotShowWithoutAllocating) {
  const std::pair<const char*, void (*)(TgaHeader&)> cases[] = {
      {"run-length", [](TgaHeader& h) { h.imageType = 10; }},
      {"16-bit", [](TgaHeader& h) { h.pixelDepth = 16; }},
      {"no width", [](TgaHeader& h) { h.width = 0; }},
      {"no height", [](TgaHeader& h) { h.height = 0; }},
      {"id past the end", [](TgaHeader& h) { h.idLength = 255; }},
      {"12 GiB", [](TgaHeader& h) { h.width = h.height = 65535; }},
  };
  for (const auto& [what, change] : cases) {
    TgaFile file = makeTga({4, 4, 3, std::vector<std::uint8_t>(48)});
    change(file.header);
    const std::vector<std::uint8_t> bytes = tgaBytes(file);
    largestRequest = 0;
    EXPECT_FALSE(Texture().parseTGA(bytes.data(), bytes.size())) << what;
    EXPECT_EQ(largestRequest, 0u) << what;
  }
  EXPECT_FALSE(Texture().parseTGA(std::vector<std::uint8_t>(17).data(), 17));
}

}  // namespace
