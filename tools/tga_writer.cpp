// TGA encoding for the image generator and the test fixtures.
#include "tga_writer.h"

#include <fstream>

namespace {

void putLittle16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xff));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

TgaFile makeTga(const Picture& picture, bool topLeftOrigin) {
  TgaFile file;
  file.header.width = static_cast<std::uint16_t>(picture.width);
  file.header.height = static_cast<std::uint16_t>(picture.height);
  file.header.pixelDepth = static_cast<std::uint8_t>(picture.channels * 8);
  // The low four bits count the alpha bits of each pixel.
  file.header.descriptor = static_cast<std::uint8_t>((picture.channels == 4 ? 8 : 0) |
                                                     (topLeftOrigin ? kTgaTopLeftOrigin : 0));
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * picture.channels;
  file.pixelBytes.reserve(rowBytes * picture.height);
  for (int fileRow = 0; fileRow < picture.height; ++fileRow) {
    const int pictureRow = topLeftOrigin ? fileRow : picture.height - 1 - fileRow;
    const std::uint8_t* row = picture.pixels.data() + pictureRow * rowBytes;
    for (std::size_t offset = 0; offset < rowBytes; offset += picture.channels) {
      file.pixelBytes.push_back(row[offset + 2]);
      file.pixelBytes.push_back(row[offset + 1]);
      file.pixelBytes.push_back(row[offset]);
      if (picture.channels == 4) {
        file.pixelBytes.push_back(row[offset + 3]);
      }
    }
  }
  return file;
}

std::vector<std::uint8_t> tgaBytes(const TgaFile& file) {
  const TgaHeader& header = file.header;
  std::vector<std::uint8_t> bytes;
  bytes.push_back(header.idLength);
  bytes.push_back(header.colourMapType);
  bytes.push_back(header.imageType);
  putLittle16(bytes, header.colourMapFirst);
  putLittle16(bytes, header.colourMapLength);
  bytes.push_back(header.colourMapEntryBits);
  putLittle16(bytes, header.xOrigin);
  putLittle16(bytes, header.yOrigin);
  putLittle16(bytes, header.width);
  putLittle16(bytes, header.height);
  bytes.push_back(header.pixelDepth);
  bytes.push_back(header.descriptor);
  bytes.insert(bytes.end(), file.imageId.begin(), file.imageId.end());
  bytes.insert(bytes.end(), file.colourMap.begin(), file.colourMap.end());
  bytes.insert(bytes.end(), file.pixelBytes.begin(), file.pixelBytes.end());
  return bytes;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
