// Writes the fuzzer's malformed seed files: make_fuzz_seeds FOLDER
// (the generated tile images are the well-formed seeds).
#include <cstdio>
#include <functional>
#include <string>

#include "tga_writer.h"

namespace {

Picture checker(int width, int height, int channels) {
  Picture picture{width, height, channels, {}};
  for (int i = 0; i < width * height; ++i) {
    for (int c = 0; c < channels; ++c) {
      picture.pixels.push_back(static_cast<std::uint8_t>((i % 2) * 200 + c * 20));
    }
  }
  return picture;
}

struct Seed {
  const char* name;
  std::function<void(TgaFile&)> spoil;
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const Seed seeds[] = {
      {"odd_width_top_down.tga", [](TgaFile& f) { f = makeTga(checker(5, 3, 3), true); }},
      {"rgba_2x2.tga", [](TgaFile& f) { f = makeTga(checker(2, 2, 4)); }},
      {"one_byte_short.tga", [](TgaFile& f) { f.pixelBytes.pop_back(); }},
      {"run_length.tga", [](TgaFile& f) { f.header.imageType = 10; }},
      {"depth_16.tga", [](TgaFile& f) { f.header.pixelDepth = 16; }},
      {"zero_width.tga", [](TgaFile& f) { f.header.width = 0; }},
      {"id_and_colour_map.tga",
       [](TgaFile& f) {
         f.imageId.assign(7, 'x');
         f.header.idLength = 7;
         f.colourMap.assign(6, 0x55);
         f.header.colourMapType = 1;
         f.header.colourMapLength = 2;
         f.header.colourMapEntryBits = 24;
       }},
      {"id_past_the_end.tga", [](TgaFile& f) { f.header.idLength = 255; }},
      {"colour_map_past_the_end.tga",
       [](TgaFile& f) {
         f.header.colourMapType = 1;
         f.header.colourMapLength = 65535;
         f.header.colourMapEntryBits = 32;
       }},
      {"huge_claim.tga",
       [](TgaFile& f) {
         f.header.width = 65535;
         f.header.height = 65535;
         f.header.pixelDepth = 32;
         f.pixelBytes.resize(2);
       }},
  };
  for (const Seed& seed : seeds) {
    TgaFile file = makeTga(checker(4, 4, 3));
    seed.spoil(file);
    const std::string path = std::string(argv[1]) + "/" + seed.name;
    if (!writeFile(path, tgaBytes(file))) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
