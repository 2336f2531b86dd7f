// libFuzzer target: any bytes as a level file and as a level link. Refusing is fine; a fault, a
// refusal that changed the levels, or levels that do not come back the same through the file
// format and the link is not.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/level_link.h"
#include "world/levels.h"

namespace {

void requireSame(const std::vector<Level>& levels) {
  std::vector<Level> again;
  LevelProblem problem;
  std::string linkProblem;
  if (!readLevels(writeLevels(levels), again, problem) || again != levels ||
      !decodeLevelLink(encodeLevelLink(levels), again, linkProblem) || again != levels) {
    __builtin_trap();
  }
}

// Bytes as a version 1 link with a matching check, so that the runs behind the check are
// fuzzed too: written here from the link's description, apart from the game's encoder.
std::string sealedLink(std::string bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
  }
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes += static_cast<char>((hash >> shift) & 0xFF);
  }
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string link = "1.";
  std::uint32_t bits = 0;
  int count = 0;
  for (const char byte : bytes) {
    bits = (bits << 8) | static_cast<unsigned char>(byte);
    for (count += 8; count >= 6; count -= 6) {
      link += alphabet[(bits >> (count - 6)) & 63];
    }
  }
  if (count > 0) {
    link += alphabet[(bits << (6 - count)) & 63];
  }
  return link;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<Level> untouched(1, Level{});
  std::vector<Level> levels = untouched;
  LevelProblem problem;
  if (readLevels(bytes, levels, problem)) {
    requireSame(levels);
  } else if (levels != untouched || problem.message.empty()) {
    __builtin_trap();
  }
  for (const std::string& link : {bytes, sealedLink(bytes)}) {
    levels = untouched;
    std::string linkProblem;
    if (decodeLevelLink(link, levels, linkProblem)) {
      requireSame(levels);
    } else if (levels != untouched || linkProblem.empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
