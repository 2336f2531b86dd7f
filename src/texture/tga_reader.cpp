// Decodes uncompressed true-colour TGA files into RGB(A) pixels; no OpenGL here.
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <vector>

#include "texture/texture.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;
constexpr unsigned kTrueColourType = 2;
constexpr unsigned kColourMapPresent = 1;
constexpr unsigned kTopLeftOriginBit = 0x20;

unsigned readLittle16(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8);
}

// What the 18-byte header says about the rest of the file.
struct TgaLayout {
  unsigned imageType;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t bitsPerPixel;
  bool topDown;
  std::uint64_t pixelOffset;
  std::uint64_t pixelBytes;
};

TgaLayout readLayout(const unsigned char* header) {
  TgaLayout layout;
  layout.imageType = header[2];
  layout.width = readLittle16(header + 12);
  layout.height = readLittle16(header + 14);
  layout.bitsPerPixel = header[16];
  layout.topDown = (header[17] & kTopLeftOriginBit) != 0;

  // The image ID and a colour map, when present, come between the header and the pixels.
  const std::uint64_t idBytes = header[0];
  std::uint64_t colourMapBytes = 0;
  if (header[1] == kColourMapPresent) {
    const std::uint64_t entryBytes = (header[7] + 7u) / 8u;
    colourMapBytes = readLittle16(header + 5) * entryBytes;
  }
  layout.pixelOffset = kHeaderBytes + idBytes + colourMapBytes;
  // At most 65535 x 65535 x 4 bytes, which only 64 bits hold.
  layout.pixelBytes = std::uint64_t{layout.width} * layout.height * (layout.bitsPerPixel / 8);
  return layout;
}

bool isSupported(const TgaLayout& layout) {
  return layout.imageType == kTrueColourType && layout.width != 0 && layout.height != 0 &&
         (layout.bitsPerPixel == 24 || layout.bitsPerPixel == 32);
}

}  // namespace

Texture::~Texture() {
  releaseImage();
}

void Texture::releaseImage() {
  delete[] imageData;
  imageData = nullptr;
}

bool Texture::parseTGA(const unsigned char* bytes, std::size_t length) {
  releaseImage();
  if (length < kHeaderBytes) {
    return false;
  }
  const TgaLayout layout = readLayout(bytes);
  if (layout.imageType != kTrueColourType) {
    return false;
  }
  width = layout.width;
  height = layout.height;
  bpp = layout.bitsPerPixel;
  if (width == 0 || height == 0) {
    return false;
  }
  if (bpp != 24 && bpp != 32) {
    return false;
  }
  // A header may claim far more than the file holds; check before allocating anything.
  if (layout.pixelOffset > length || layout.pixelBytes > length - layout.pixelOffset ||
      layout.pixelBytes > std::numeric_limits<std::size_t>::max()) {
    return false;
  }

  const std::size_t size = static_cast<std::size_t>(layout.pixelBytes);
  imageData = new (std::nothrow) unsigned char[size];
  if (imageData == nullptr) {
    return false;
  }

  // Rows go bottom row first, whichever way the file stores them, and BGR(A) becomes RGB(A).
  const std::size_t pixelSize = bpp / 8;
  const std::size_t rowBytes = std::size_t{width} * pixelSize;
  const unsigned char* pixels = bytes + layout.pixelOffset;
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::uint32_t fileRow = layout.topDown ? height - 1 - row : row;
    const unsigned char* source = pixels + fileRow * rowBytes;
    unsigned char* target = imageData + row * rowBytes;
    std::memcpy(target, source, rowBytes);
    for (std::size_t offset = 0; offset < rowBytes; offset += pixelSize) {
      const unsigned char blue = target[offset];
      target[offset] = target[offset + 2];
      target[offset + 2] = blue;
    }
  }
  return true;
}

bool Texture::readTGAFile(const std::string& fileName) {
  releaseImage();
  std::ifstream file(fileName, std::ios::binary);
  if (!file) {
    return false;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff fileLength = file.tellg();
  file.seekg(0, std::ios::beg);
  if (!file || fileLength < static_cast<std::streamoff>(kHeaderBytes)) {
    return false;
  }

  // Read no more than the header asks for: a stray large file costs nothing.
  std::vector<unsigned char> bytes(kHeaderBytes);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), kHeaderBytes)) {
    return false;
  }
  const TgaLayout layout = readLayout(bytes.data());
  const std::uint64_t wanted =
      isSupported(layout) ? layout.pixelOffset + layout.pixelBytes : kHeaderBytes;
  const std::uint64_t available = static_cast<std::uint64_t>(fileLength);
  const std::uint64_t toRead = (wanted < available ? wanted : available) - kHeaderBytes;
  if (toRead > std::numeric_limits<std::size_t>::max() - kHeaderBytes) {
    return false;
  }
  bytes.resize(kHeaderBytes + static_cast<std::size_t>(toRead));
  if (!file.read(reinterpret_cast<char*>(bytes.data() + kHeaderBytes),
                 static_cast<std::streamsize>(toRead))) {
    return false;
  }
  return parseTGA(bytes.data(), bytes.size());
}
