// Draws the game's images from their pictures: make_images ART_DIR OUTPUT_DIR
// For the ten tile codes and the time trial's digits it reads ART_DIR/<name>.xpm and writes
// OUTPUT_DIR/<name>.tga. A picture
// with a clear colour (None) becomes a 32-bit image, clear where the picture is; any other
// picture a 24-bit one.
#include <X11/xpm.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tga_writer.h"
#include "world/world.h"

namespace {

// The game draws the figures' squares without blending, so the colour under their clear pixels
// is what the player sees there: the sky's, which the figures stand on.
constexpr std::uint8_t kUnderClear[3] = {132, 194, 242};

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool clear = false;
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// The two forms the pictures use, #RRGGBB and None; false for anything else, such as colour
// names, whose values differ from one colour database to another.
bool parseColour(const char* text, Colour& colour) {
  const std::string value = text;
  if (value.size() == 4 && (value[0] == 'N' || value[0] == 'n') && value.substr(1) == "one") {
    colour.clear = true;
    return true;
  }
  if (value.size() != 7 || value[0] != '#') {
    return false;
  }
  std::uint8_t* channels[3] = {&colour.r, &colour.g, &colour.b};
  for (int i = 0; i < 3; ++i) {
    const int high = hexValue(value[1 + 2 * i]);
    const int low = hexValue(value[2 + 2 * i]);
    if (high < 0 || low < 0) {
      return false;
    }
    *channels[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return true;
}

const char* readError(int status) {
  switch (status) {
    case XpmOpenFailed:
      return "cannot open it";
    case XpmFileInvalid:
      return "not an XPM picture";
    case XpmNoMemory:
      return "out of memory";
    default:
      return XpmGetErrorString(status);
  }
}

bool toPicture(const std::string& path, const XpmImage& image, Picture& picture) {
  if (image.width > 0xffff || image.height > 0xffff) {
    std::fprintf(stderr, "make_images: %s: %u x %u is larger than a TGA image can be\n",
                 path.c_str(), image.width, image.height);
    return false;
  }
  std::vector<Colour> colours(image.ncolors);
  bool anyClear = false;
  for (unsigned int i = 0; i < image.ncolors; ++i) {
    const XpmColor& entry = image.colorTable[i];
    if (entry.c_color == nullptr) {
      std::fprintf(stderr, "make_images: %s: colour '%s' has no value for colour screens (c)\n",
                   path.c_str(), entry.string);
      return false;
    }
    if (!parseColour(entry.c_color, colours[i])) {
      std::fprintf(stderr, "make_images: %s: colour '%s' is \"%s\", not #RRGGBB or None\n",
                   path.c_str(), entry.string, entry.c_color);
      return false;
    }
    anyClear = anyClear || colours[i].clear;
  }
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.channels = anyClear ? 4 : 3;
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  picture.pixels.clear();
  picture.pixels.reserve(count * picture.channels);
  for (std::size_t i = 0; i < count; ++i) {
    const Colour& colour = colours[image.data[i]];
    if (colour.clear) {
      picture.pixels.insert(picture.pixels.end(),
                            {kUnderClear[0], kUnderClear[1], kUnderClear[2], 0});
      continue;
    }
    picture.pixels.insert(picture.pixels.end(), {colour.r, colour.g, colour.b});
    if (anyClear) {
      picture.pixels.push_back(255);
    }
  }
  return true;
}

bool readPicture(const std::string& path, Picture& picture) {
  XpmImage image;
  const int status = XpmReadFileToXpmImage(path.c_str(), &image, nullptr);
  if (status != XpmSuccess) {
    std::fprintf(stderr, "make_images: cannot read %s: %s\n", path.c_str(), readError(status));
    return false;
  }
  const bool ok = toPicture(path, image, picture);
  XpmFreeXpmImage(&image);
  return ok;
}

// Draws ART_DIR/<stem>.xpm as OUTPUT_DIR/<fileName>, a .tga file.
bool drawImage(const std::string& artFolder, const std::string& outputFolder,
               const std::string& fileName) {
  const std::string extension = ".tga";
  if (fileName.size() <= extension.size() ||
      fileName.compare(fileName.size() - extension.size(), extension.size(), extension) != 0) {
    std::fprintf(stderr, "make_images: the image %s is not a .tga file\n", fileName.c_str());
    return false;
  }
  const std::string stem = fileName.substr(0, fileName.size() - extension.size());
  Picture picture;
  if (!readPicture(artFolder + "/" + stem + ".xpm", picture)) {
    return false;
  }
  const std::string path = outputFolder + "/" + fileName;
  if (!writeFile(path, tgaBytes(makeTga(picture)))) {
    std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ART_DIR OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  for (const TileSetEntry& tile : tileSet) {
    if (!drawImage(argv[1], argv[2], tile.fileName)) {
      return 1;
    }
  }
  return drawImage(argv[1], argv[2], kTimerDigitsFile) ? 0 : 1;
}
