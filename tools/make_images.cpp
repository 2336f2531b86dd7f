// Writes the game's ten tile-set images into a folder: make_images OUTPUT_DIR
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "tga_writer.h"
#include "world/world.h"

namespace {

constexpr int kImageSize = 32;

struct Colour {
  std::uint8_t r, g, b;
};

constexpr Colour kSky{120, 180, 235};
constexpr Colour kGrass{70, 160, 60};
constexpr Colour kSoil{130, 85, 45};
constexpr Colour kDeepSoil{80, 55, 35};
constexpr Colour kHill{95, 120, 140};
constexpr Colour kWhite{250, 250, 245};
constexpr Colour kYellow{245, 205, 60};
constexpr Colour kOrange{235, 130, 30};
constexpr Colour kSnow{235, 240, 245};

Picture canvas(int channels) {
  Picture picture;
  picture.width = kImageSize;
  picture.height = kImageSize;
  picture.channels = channels;
  picture.pixels.assign(static_cast<std::size_t>(kImageSize) * kImageSize * channels, 255);
  return picture;
}

void plot(Picture& picture, int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
    return;
  }
  std::uint8_t* pixel =
      &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * picture.channels];
  pixel[0] = colour.r;
  pixel[1] = colour.g;
  pixel[2] = colour.b;
}

// Paints every pixel for which inside(x, y) holds.
void paint(Picture& picture, Colour colour, const std::function<bool(int, int)>& inside) {
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (inside(x, y)) {
        plot(picture, x, y, colour);
      }
    }
  }
}

auto everywhere() {
  return [](int, int) { return true; };
}

auto ellipse(double cx, double cy, double rx, double ry) {
  return [=](int x, int y) {
    const double dx = (x + 0.5 - cx) / rx;
    const double dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  };
}

// A ridge line that meets itself at the left and right edges, so the tile repeats.
auto belowRidge(double base, double height, int waves) {
  return [=](int x, int y) {
    const double phase = 2.0 * M_PI * waves * x / kImageSize;
    return y >= base - height * (0.5 + 0.5 * std::sin(phase));
  };
}

Picture drawImage(int code) {
  Picture picture = canvas(code == kCharacterTile ? 4 : 3);
  switch (code) {
    case 0:  // Ground1: deep soil below the walking surface
      paint(picture, kDeepSoil, everywhere());
      break;
    case 1:  // Ground2: grass on soil, the solid row
      paint(picture, kSoil, everywhere());
      paint(picture, kGrass, [](int, int y) { return y < 8; });
      break;
    case 2:  // Skies
      paint(picture, kSky, everywhere());
      break;
    case 3:  // Mountain transition: far hills on the horizon
      paint(picture, kSky, everywhere());
      paint(picture, kHill, belowRidge(24, 14, 1));
      break;
    case 4:  // Cloud
      paint(picture, kSky, everywhere());
      paint(picture, kWhite, ellipse(16, 18, 13, 7));
      break;
    case 5:  // Chicken, on the sky's colour so it reads as a figure
      paint(picture, kSky, everywhere());
      paint(picture, kWhite, ellipse(15, 19, 11, 10));
      paint(picture, kOrange, ellipse(27, 16, 3, 2));
      break;
    case 6:  // Sun
      paint(picture, kSky, everywhere());
      paint(picture, kYellow, ellipse(16, 16, 11, 11));
      break;
    case 7:  // Mountain, alone
      paint(picture, kSky, everywhere());
      paint(picture, kHill, [](int x, int y) { return y >= 4 + 2 * std::abs(x - 16); });
      paint(picture, kSnow, [](int x, int y) { return y >= 4 + 2 * std::abs(x - 16) && y < 10; });
      break;
    case 8:  // Mountain, as a repeating range
      paint(picture, kSky, everywhere());
      paint(picture, kHill, belowRidge(30, 24, 2));
      break;
    case kEggTile:  // Egg, on the sky
      paint(picture, kSky, everywhere());
      paint(picture, kWhite, ellipse(16, 17, 8, 11));
      break;
  }
  return picture;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (int code = 0; code < kTileCodes; ++code) {
    const std::string path = folder + "/" + tileSet[code].fileName;
    if (!writeFile(path, tgaBytes(makeTga(drawImage(code))))) {
      std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
