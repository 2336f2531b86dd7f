// libFuzzer target: any bytes through the TGA decoder. Refusing is fine; a fault, an over-read,
// a kept buffer after a refusal or a picture larger than its bytes is not.
#include <cstddef>
#include <cstdint>
#include <numeric>

#include "texture/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Texture texture;
  const bool accepted = texture.parseTGA(data, size);
  const std::size_t pixelBytes = std::size_t{texture.width} * texture.height * (texture.bpp / 8);
  if (accepted ? texture.imageData == nullptr || pixelBytes == 0 || pixelBytes + 18 > size
               : texture.imageData != nullptr) {
    __builtin_trap();
  }
  // Every pixel byte is read, so an unwritten or out-of-bounds one is found.
  volatile unsigned sum =
      accepted ? std::accumulate(texture.imageData, texture.imageData + pixelBytes, 0u) : 0;
  (void)sum;
  return 0;
}
