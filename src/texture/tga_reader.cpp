// Decodes uncompressed true-colour TGA files into RGB(A) pixels; no OpenGL here.
#include "texture/tga_reader.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

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

// One pass per row, copying and swapping at once. Whole 32-bit words let the compiler use
// vector instructions; this is what keeps large images near the speed of a plain copy.
void copyRowSwappingRedAndBlue32(const unsigned char* __restrict__ source,
                                 unsigned char* __restrict__ target, std::size_t pixels) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  for (std::size_t i = 0; i < pixels; ++i) {
    std::uint32_t bgra;
    std::memcpy(&bgra, source + 4 * i, 4);
    // Bytes 0 and 2 (blue and red) are the word's low and third bytes; green and alpha stay.
    const std::uint32_t rgba =
        (bgra & 0xff00ff00u) | ((bgra >> 16) & 0xffu) | ((bgra & 0xffu) << 16);
    std::memcpy(target + 4 * i, &rgba, 4);
  }
#else
  for (std::size_t i = 0; i < pixels; ++i) {
    target[4 * i] = source[4 * i + 2];
    target[4 * i + 1] = source[4 * i + 1];
    target[4 * i + 2] = source[4 * i];
    target[4 * i + 3] = source[4 * i + 3];
  }
#endif
}

// Three-byte pixels need the byte shuffles of SSSE3 to be vectorized, which baseline x86-64
// lacks: on x86-64 the loop is built twice and the processor's own choice runs.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("ssse3", "default")))
#endif
void copyRowSwappingRedAndBlue24(const unsigned char* __restrict__ source,
                                 unsigned char* __restrict__ target, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    target[3 * i] = source[3 * i + 2];
    target[3 * i + 1] = source[3 * i + 1];
    target[3 * i + 2] = source[3 * i];
  }
}

bool isSupported(const TgaLayout& layout) {
  return layout.imageType == kTrueColourType && layout.width != 0 && layout.height != 0 &&
         (layout.bitsPerPixel == 24 || layout.bitsPerPixel == 32);
}

}  // namespace

bool decodeTGA(const unsigned char* bytes, std::size_t length, TgaImage& image) {
  image = TgaImage{};
  if (length < kHeaderBytes) {
    return false;
  }
  const TgaLayout layout = readLayout(bytes);
  if (layout.imageType != kTrueColourType) {
    return false;
  }
  const std::uint32_t width = image.width = layout.width;
  const std::uint32_t height = image.height = layout.height;
  const std::uint32_t bpp = image.bpp = layout.bitsPerPixel;
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
  std::unique_ptr<unsigned char[]> imageData(new (std::nothrow) unsigned char[size]);
  if (!imageData) {
    return false;
  }

  // Rows go bottom row first, whichever way the file stores them, and BGR(A) becomes RGB(A).
  const std::size_t rowBytes = std::size_t{width} * (bpp / 8);
  const unsigned char* pixels = bytes + layout.pixelOffset;
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::uint32_t fileRow = layout.topDown ? height - 1 - row : row;
    const unsigned char* source = pixels + fileRow * rowBytes;
    unsigned char* target = imageData.get() + row * rowBytes;
    if (bpp == 32) {
      copyRowSwappingRedAndBlue32(source, target, width);
    } else {
      copyRowSwappingRedAndBlue24(source, target, width);
    }
  }
  image.pixels = std::move(imageData);
  return true;
}

bool readTGAFile(const std::string& fileName, TgaImage& image) {
  image = TgaImage{};
  // C's files rather than C++ streams: in the page, streams would bring their locales along,
  // nearly a third of its download.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rb"),
                                                       std::fclose);
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
    return false;
  }
  const long fileLength = std::ftell(file.get());
  if (fileLength < static_cast<long>(kHeaderBytes) || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return false;
  }

  // Read no more than the header asks for: a stray large file costs nothing.
  std::vector<unsigned char> bytes(kHeaderBytes);
  if (std::fread(bytes.data(), 1, kHeaderBytes, file.get()) != kHeaderBytes) {
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
  if (std::fread(bytes.data() + kHeaderBytes, 1, static_cast<std::size_t>(toRead), file.get()) !=
      toRead) {
    return false;
  }
  return decodeTGA(bytes.data(), bytes.size(), image);
}
