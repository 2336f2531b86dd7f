// libFuzzer target: any bytes as a level file, a level link and a run link. Refusing is fine; a
// fault, a refusal that changed what it was given, levels that do not come back the same through
// the file format and the link, or a run taken that does not come back the same or does not reach
// the last egg is not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/level_link.h"
#include "world/levels.h"
#include "world/run.h"
#include "world/run_link.h"

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
std::string sealedLink(std::string bytes) {  // a level link's or a run link's, both version 1
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

void requireSameRun(const std::shared_ptr<const LevelSet>& levels, const KeyFrames& keys) {
  KeyFrames again;
  std::string problem;
  if (!playRun(levels, keys).finished ||
      !decodeRunLink(encodeRunLink(*levels, keys), levels, again, problem) || again != keys) {
    __builtin_trap();
  }
}

// The first four bytes of the built-in set's id, with which a run link of it begins.
std::string builtInSetBytes() {
  const std::string id = levelSetId(builtInLevels());
  std::string bytes;
  for (int i = 0; i < 4; ++i) {
    bytes += static_cast<char>(std::stoi(id.substr(2 * i, 2), nullptr, 16));
  }
  return bytes;
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
  static const auto builtIn = std::make_shared<const LevelSet>(builtInLevels());
  static const std::string setBytes = builtInSetBytes();
  for (const std::string& link : {bytes, sealedLink(setBytes + bytes)}) {
    const KeyFrames untouchedKeys(1);
    KeyFrames keys = untouchedKeys;
    std::string runProblem;
    if (decodeRunLink(link, builtIn, keys, runProblem)) {
      requireSameRun(builtIn, keys);
    } else if (keys != untouchedKeys || runProblem.empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
