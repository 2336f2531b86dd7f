// Flat-coloured fixture images, and checks of screenshots of the game drawn with them.
//   screen_check images DIR          writes the ten fixture images into DIR
//   screen_check layout SHOT LEVEL   every tile shows the colour its level's map gives it
//   screen_check chicken SHOT        prints the chicken's square as "left top right bottom"
//   screen_check uniform SHOT R G B  every pixel has this colour
// Screenshots are binary PPM files of the 800 x 600 window.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tga_writer.h"
#include "world/world.h"

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

// One colour per tile code, far enough apart that none is mistaken for another.
const Rgb kFixtureColours[kTileCodes] = {
    {90, 60, 30},  {0, 160, 0},   {40, 120, 200}, {120, 120, 120}, {200, 200, 200},
    {255, 0, 255}, {255, 220, 0}, {0, 80, 80},    {160, 0, 0},     {250, 240, 200},
};

constexpr int kTileWidth = 40;
constexpr int kTileHeight = 30;

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  Rgb at(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

// Skips white space and comments between the fields of a PPM header.
void skipToField(std::istream& in) {
  while (in) {
    const int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      in.get();
    } else {
      return;
    }
  }
}

bool readPpm(const char* path, Screenshot& shot) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic;
  skipToField(in);
  in >> shot.width;
  skipToField(in);
  in >> shot.height;
  skipToField(in);
  in >> maxValue;
  in.get();
  if (!in || magic != "P6" || maxValue != 255 || shot.width <= 0 || shot.height <= 0) {
    std::fprintf(stderr, "screen_check: %s is not an 8-bit binary PPM\n", path);
    return false;
  }
  shot.rgb.resize(static_cast<std::size_t>(shot.width) * shot.height * 3);
  in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
  if (!in) {
    std::fprintf(stderr, "screen_check: %s is cut short\n", path);
    return false;
  }
  return true;
}

int writeImages(const std::string& folder) {
  for (int code = 0; code < kTileCodes; ++code) {
    Picture picture;
    picture.width = 32;
    picture.height = 32;
    picture.channels = code == kCharacterTile ? 4 : 3;
    for (int i = 0; i < picture.width * picture.height; ++i) {
      const Rgb colour = kFixtureColours[code];
      picture.pixels.insert(picture.pixels.end(), {static_cast<std::uint8_t>(colour.r),
                                                   static_cast<std::uint8_t>(colour.g),
                                                   static_cast<std::uint8_t>(colour.b)});
      if (picture.channels == 4) {
        picture.pixels.push_back(0);  // transparent, if anything ever blended
      }
    }
    if (!writeFile(folder + "/" + tileSet[code].fileName, tgaBytes(makeTga(picture)))) {
      std::fprintf(stderr, "screen_check: cannot write into %s\n", folder.c_str());
      return 1;
    }
  }
  return 0;
}

int checkLayout(const Screenshot& shot, int level) {
  int wrong = 0;
  int hidden = 0;
  for (int row = 0; row < kMapSize; ++row) {
    for (int column = 0; column < kMapSize; ++column) {
      const Rgb seen =
          shot.at(column * kTileWidth + kTileWidth / 2, row * kTileHeight + kTileHeight / 2);
      const Rgb expected = kFixtureColours[tileAt(level, row, column)];
      if (seen == kFixtureColours[kCharacterTile]) {
        ++hidden;  // the chicken covers this tile's centre
      } else if (!(seen == expected)) {
        std::fprintf(stderr, "row %d column %d: saw %d,%d,%d, expected %d,%d,%d\n", row, column,
                     seen.r, seen.g, seen.b, expected.r, expected.g, expected.b);
        ++wrong;
      }
    }
  }
  if (hidden > 2) {
    std::fprintf(stderr, "the chicken hides %d tile centres; it covers at most two\n", hidden);
    return 1;
  }
  return wrong == 0 ? 0 : 1;
}

int printChicken(const Screenshot& shot) {
  int left = shot.width, top = shot.height, right = -1, bottom = -1;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (shot.at(x, y) == kFixtureColours[kCharacterTile]) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  if (right < 0) {
    std::fprintf(stderr, "no chicken on the screen\n");
    return 1;
  }
  std::printf("%d %d %d %d\n", left, top, right, bottom);
  return 0;
}

int checkUniform(const Screenshot& shot, Rgb colour) {
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const Rgb seen = shot.at(x, y);
      if (!(seen == colour)) {
        std::fprintf(stderr, "pixel %d,%d is %d,%d,%d\n", x, y, seen.r, seen.g, seen.b);
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "images" && argc == 3) {
    return writeImages(argv[2]);
  }
  Screenshot shot;
  if (argc >= 3 && !readPpm(argv[2], shot)) {
    return 1;
  }
  if (command == "layout" && argc == 4) {
    return checkLayout(shot, std::atoi(argv[3]));
  }
  if (command == "chicken" && argc == 3) {
    return printChicken(shot);
  }
  if (command == "uniform" && argc == 6) {
    return checkUniform(shot, {std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])});
  }
  std::fprintf(stderr, "usage: see the comment at the top of tools/screen_check.cpp\n");
  return 2;
}
