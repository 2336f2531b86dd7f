// libFuzzer target: any bytes through the TGA decoder. Refusing is fine; a fault, an over-read,
// a kept buffer after a refusal or a picture larger than its bytes is not.
#include <cstddef>
#include <cstdint>

#include "texture/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Texture texture;
  if (!texture.parseTGA(data, size)) {
    if (texture.imageData != nullptr) {
      __builtin_trap();
    }
    return 0;
  }
  const std::size_t pixelBytes = std::size_t{texture.width} * texture.height * (texture.bpp / 8);
  if (texture.imageData == nullptr || pixelBytes == 0 || pixelBytes + 18 > size) {
    __builtin_trap();
  }
  // Touch every pixel byte, so an unwritten or out-of-bounds one is found.
  unsigned sum = 0;
  for (std::size_t i = 0; i < pixelBytes; ++i) {
    sum += texture.imageData[i];
  }
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
