// The TGA decoder: what it accepts, what it refuses, and that refusing costs nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>

#include "texture/texture.h"
#include "tga_writer.h"

// The decoder allocates its pixels with new (std::nothrow); remember the largest request.
namespace {
std::size_t largestPixelRequest = 0;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  largestPixelRequest = std::max(largestPixelRequest, size);
  try {
    return ::operator new[](size);  // so that delete[] still matches
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

// A picture whose every pixel differs, so a misplaced byte shows.
Picture gradient(int width, int height, int channels) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = channels;
  for (int i = 0; i < width * height * channels; ++i) {
    picture.pixels.push_back(static_cast<std::uint8_t>(i * 7 + 3));
  }
  return picture;
}

// The picture as the texture should hold it: bottom row first, RGB(A).
std::vector<std::uint8_t> bottomRowFirst(const Picture& picture) {
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * picture.channels;
  std::vector<std::uint8_t> rows;
  for (int row = picture.height - 1; row >= 0; --row) {
    rows.insert(rows.end(), picture.pixels.begin() + row * rowBytes,
                picture.pixels.begin() + (row + 1) * rowBytes);
  }
  return rows;
}

std::vector<std::uint8_t> imageOf(const Texture& texture) {
  const std::size_t size = std::size_t{texture.width} * texture.height * texture.bpp / 8;
  return std::vector<std::uint8_t>(texture.imageData, texture.imageData + size);
}

bool parse(Texture& texture, const TgaFile& file) {
  const std::vector<std::uint8_t> bytes = tgaBytes(file);
  return texture.parseTGA(bytes.data(), bytes.size());
}

TEST(TgaReader, SwapsBlueAndRedAndKeepsAlpha) {
  for (int channels : {3, 4}) {
    const Picture picture = gradient(4, 4, channels);
    Texture texture;
    ASSERT_TRUE(parse(texture, makeTga(picture)));
    EXPECT_EQ(texture.bpp, channels * 8u);
    EXPECT_EQ(texture.width, 4u);
    EXPECT_EQ(texture.height, 4u);
    EXPECT_EQ(texture.pixelFormat(), channels == 4 ? GL_RGBA : GL_RGB);
    EXPECT_EQ(imageOf(texture), bottomRowFirst(picture)) << channels << " channels";
  }
}

TEST(TgaReader, TopDownFilesMatchBottomUpOnes) {
  const Picture picture = gradient(5, 3, 3);  // odd width: rows are not 4-byte multiples
  Texture bottomUp;
  Texture topDown;
  ASSERT_TRUE(parse(bottomUp, makeTga(picture)));
  ASSERT_TRUE(parse(topDown, makeTga(picture, true)));
  EXPECT_EQ(imageOf(topDown), imageOf(bottomUp));
  EXPECT_EQ(imageOf(topDown), bottomRowFirst(picture));
}

TEST(TgaReader, SkipsTheImageIdAndColourMap) {
  const Picture picture = gradient(3, 2, 4);
  TgaFile file = makeTga(picture);
  file.imageId = {'e', 'g', 'g', 's'};
  file.header.idLength = 4;
  file.colourMap.assign(5 * 3, 0xAB);
  file.header.colourMapType = 1;
  file.header.colourMapLength = 5;
  file.header.colourMapEntryBits = 24;
  Texture texture;
  ASSERT_TRUE(parse(texture, file));
  EXPECT_EQ(imageOf(texture), bottomRowFirst(picture));

  file.pixelBytes.pop_back();  // the skipped bytes count towards the length
  EXPECT_FALSE(parse(texture, file));
}

TEST(TgaReader, RefusesWhatItCannotShowButKeepsTheHeaderFields) {
  struct Case {
    const char* what;
    std::uint8_t imageType;
    std::uint8_t pixelDepth;
    std::uint16_t width;
  };
  const Case cases[] = {{"run-length", 10, 24, 4},
                        {"16-bit", 2, 16, 4},
                        {"8-bit", 2, 8, 4},
                        {"zero width", 2, 24, 0}};
  for (const Case& c : cases) {
    TgaFile file = makeTga(gradient(4, 4, 3));
    file.header.imageType = c.imageType;
    file.header.pixelDepth = c.pixelDepth;
    file.header.width = c.width;
    Texture texture;
    EXPECT_FALSE(parse(texture, file)) << c.what;
    EXPECT_EQ(texture.imageData, nullptr) << c.what;
    EXPECT_EQ(texture.texID, 0u) << c.what;
    if (c.imageType == 2) {
      EXPECT_EQ(texture.bpp, c.pixelDepth) << c.what;
      EXPECT_EQ(texture.width, c.width) << c.what;
      EXPECT_EQ(texture.height, 4u) << c.what;
    }
  }
}

TEST(TgaReader, RefusesShortFilesWithoutKeepingABuffer) {
  Texture texture;
  ASSERT_TRUE(parse(texture, makeTga(gradient(4, 4, 3))));
  ASSERT_NE(texture.imageData, nullptr);

  TgaFile file = makeTga(gradient(4, 4, 3));
  file.pixelBytes.pop_back();
  EXPECT_FALSE(parse(texture, file));
  EXPECT_EQ(texture.imageData, nullptr);

  const std::vector<std::uint8_t> header = tgaBytes(makeTga(gradient(4, 4, 3)));
  EXPECT_FALSE(texture.parseTGA(header.data(), 17));
}

TEST(TgaReader, HugeClaimInATinyFileIsRefusedBeforeAllocating) {
  TgaFile file;
  file.header.width = 65535;
  file.header.height = 65535;
  file.header.pixelDepth = 32;
  file.pixelBytes = {1, 2};  // 20 bytes in all
  largestPixelRequest = 0;
  Texture texture;
  EXPECT_FALSE(parse(texture, file));
  EXPECT_EQ(largestPixelRequest, 0u);
  EXPECT_EQ(texture.width, 65535u);

  const std::string path = ::testing::TempDir() + "huge_claim.tga";
  ASSERT_TRUE(writeFile(path, tgaBytes(file)));
  EXPECT_FALSE(texture.readTGAFile(path));
  EXPECT_EQ(largestPixelRequest, 0u);
  std::remove(path.c_str());
}

TEST(TgaReader, ReadsFilesLikeBytesAndMissingFilesSilently) {
  const Picture picture = gradient(6, 2, 3);
  TgaFile file = makeTga(picture);
  std::vector<std::uint8_t> bytes = tgaBytes(file);
  bytes.insert(bytes.end(), {'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O', 'N'});  // a footer
  const std::string path = ::testing::TempDir() + "gradient.tga";
  ASSERT_TRUE(writeFile(path, bytes));
  Texture texture;
  ASSERT_TRUE(texture.readTGAFile(path));
  EXPECT_EQ(imageOf(texture), bottomRowFirst(picture));

  file.pixelBytes.pop_back();
  ASSERT_TRUE(writeFile(path, tgaBytes(file)));
  EXPECT_FALSE(texture.readTGAFile(path));
  EXPECT_EQ(texture.imageData, nullptr);
  std::remove(path.c_str());

  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(texture.readTGAFile(::testing::TempDir() + "no_such_image.tga"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
