// Makes the desktop and web page icons from the chicken's picture:
//   make_icon CHARACTER_XPM SIZE OUTPUT_PNG [BACKGROUND]
// The picture is enlarged without blurring its pixels, and its background (the picture's clear
// colour) stays transparent. With a BACKGROUND colour the icon is opaque, the chicken at half its
// size in the middle, inside the circle that a phone's launcher keeps of a "maskable" icon.
#include <Magick++.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: %s CHARACTER_XPM SIZE OUTPUT_PNG [BACKGROUND]\n", argv[0]);
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
  if (argc == 5) {
    Magick::Image backed(Magick::Geometry(size, size), Magick::Color(argv[4]));
    icon.resize(Magick::Geometry(size / 2, size / 2));
    backed.composite(icon, Magick::CenterGravity, Magick::OverCompositeOp);
    icon = backed;
  } else {
    icon.resize(Magick::Geometry(size, size));
  }
  // Without the picture file's dates, so the same picture gives the same icon bytes.
  icon.defineValue("png", "exclude-chunk", "date,tIME");
  icon.write(std::string("png32:") + argv[3]);
  return 0;
}
