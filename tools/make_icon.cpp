// Makes the desktop icon from the chicken's picture: make_icon CHARACTER_XPM SIZE OUTPUT_PNG
// The picture is enlarged without blurring its pixels, and its background (the picture's clear
// colour) stays transparent.
#include <Magick++.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CHARACTER_XPM SIZE OUTPUT_PNG\n", argv[0]);
    return 2;
  }
  Magick::InitializeMagick(argv[0]);
  Magick::Image icon;
  try {
    icon.read(std::string("xpm:") + argv[1]);
  } catch (const Magick::Exception& error) {
    std::fprintf(stderr, "make_icon: cannot read %s: %s\n", argv[1], error.what());
    return 1;
  }
  const int size = std::atoi(argv[2]);
  icon.filterType(Magick::PointFilter);
  icon.resize(Magick::Geometry(size, size));
  // Without the picture file's dates, so the same picture gives the same icon bytes.
  icon.defineValue("png", "exclude-chunk", "date,tIME");
  icon.write(std::string("png32:") + argv[3]);
  return 0;
}
