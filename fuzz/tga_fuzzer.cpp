// libFuzzer target: any bytes through the TGA decoder. Refusing is fine; a fault, an over-read,
// a kept buffer after a refusal or a picture larger than its bytes is not.
#include <cstddef>
#include <cstdint>
#include <numeric>

#include "texture/tga_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TgaImage image;
  const bool accepted = decodeTGA(data, size, image);
  const std::size_t pixelBytes = std::size_t{image.width} * image.height * (image.bpp / 8);
  if (accepted ? image.pixels == nullptr || pixelBytes == 0 || pixelBytes + 18 > size
               : image.pixels != nullptr) {
    __builtin_trap();
  }
  // Every pixel byte is read, so an unwritten or out-of-bounds one is found.
  const unsigned char* pixels = image.pixels.get();
  volatile unsigned sum = accepted ? std::accumulate(pixels, pixels + pixelBytes, 0u) : 0;
  (void)sum;
  return 0;
}
