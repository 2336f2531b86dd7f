// The run link's encoding, described in run_link.h and docs/RACING.md.
#include "world/run_link.h"

#include <cstdint>
#include <utility>

#include "world/link_bytes.h"

namespace {

constexpr std::size_t kSetBytes = 4;
constexpr int kShortSegmentLimit = 31;  // the high bits' value that says a number follows
constexpr int kLongSegmentStart = 32;
constexpr unsigned kLeft = 1, kRight = 2, kUp = 4;
// An hour of keys that change every frame, with room to spare: longer links are refused unread.
constexpr std::size_t kLongestLink = 400 * 1024;

const LinkWords kWords{"the run link", "run link", "keys", "run"};

unsigned stateOf(const HeldKeys& keys) {
  return (keys.left ? kLeft : 0) | (keys.right ? kRight : 0) | (keys.up ? kUp : 0);
}

HeldKeys keysOf(unsigned state) {
  HeldKeys keys;
  keys.left = (state & kLeft) != 0;
  keys.right = (state & kRight) != 0;
  keys.up = (state & kUp) != 0;
  return keys;
}

void appendSegment(std::string& bytes, unsigned state, int frames) {
  if (frames < kLongSegmentStart) {
    bytes += static_cast<char>(((frames - 1) << 3) | state);
    return;
  }
  bytes += static_cast<char>((kShortSegmentLimit << 3) | state);
  for (unsigned rest = static_cast<unsigned>(frames - kLongSegmentStart);; rest >>= 7) {
    bytes += static_cast<char>((rest & 0x7F) | (rest > 0x7F ? 0x80 : 0));
    if (rest <= 0x7F) {
      break;
    }
  }
}

// The set's first four id bytes.
std::string setBytes(const LevelSet& levels) {
  const std::string id = levelSetId(levels);
  std::string bytes;
  for (std::size_t i = 0; i < kSetBytes; ++i) {
    bytes += static_cast<char>(std::stoi(id.substr(2 * i, 2), nullptr, 16));
  }
  return bytes;
}

bool refuse(std::string& problem, const std::string& why) {
  problem = why;
  return false;
}

}  // namespace

std::string encodeRunLink(const LevelSet& levels, const KeyFrames& keys) {
  std::string bytes = setBytes(levels);
  for (std::size_t start = 0; start < keys.size();) {
    std::size_t end = start + 1;
    while (end < keys.size() && stateOf(keys[end]) == stateOf(keys[start])) {
      ++end;
    }
    appendSegment(bytes, stateOf(keys[start]), static_cast<int>(end - start));
    start = end;
  }
  return sealLink(kRunLinkVersion, std::move(bytes));
}

bool decodeRunLink(const std::string& link, std::shared_ptr<const LevelSet> levels, KeyFrames& keys,
                   std::string& problem) {
  std::string bytes;
  if (!openLink(link, kRunLinkVersion, kLongestLink, kWords, bytes, problem)) {
    return false;
  }
  if (bytes.size() < kSetBytes) {
    return refuse(problem, "the run link is damaged or incomplete: its keys do not add up");
  }
  if (bytes.compare(0, kSetBytes, setBytes(*levels)) != 0) {
    return refuse(problem, "the run was made on other levels than these");
  }
  KeyFrames decoded;
  for (std::size_t at = kSetBytes; at < bytes.size();) {
    const auto segment = static_cast<unsigned char>(bytes[at++]);
    std::uint64_t frames = (segment >> 3) + 1;
    if ((segment >> 3) == kShortSegmentLimit) {
      std::uint64_t rest = 0;
      for (int shift = 0;; shift += 7) {
        if (at == bytes.size() || shift > 28) {
          return refuse(problem, "the run link is damaged or incomplete: its keys do not add up");
        }
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        rest |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) {
          break;
        }
      }
      frames = kLongSegmentStart + rest;
    }
    if (decoded.size() + frames > static_cast<std::uint64_t>(kLongestRunFrames)) {
      return refuse(problem, "the run is longer than an hour");
    }
    decoded.insert(decoded.end(), static_cast<std::size_t>(frames), keysOf(segment & 7u));
  }
  if (decoded.empty()) {
    return refuse(problem, "the run link is damaged or incomplete: its keys do not add up");
  }
  if (!playRun(std::move(levels), decoded).finished) {
    return refuse(problem, "the run does not reach the last egg");
  }
  keys = std::move(decoded);
  return true;
}

bool splitGameLink(const std::string& address, std::string& levels, std::string& run) {
  const std::size_t hash = address.find('#');
  const std::string fragment = hash == std::string::npos ? address : address.substr(hash + 1);
  levels.clear();
  run.clear();
  for (std::size_t start = 0; start <= fragment.size();) {
    std::size_t end = fragment.find('&', start);
    if (end == std::string::npos) {
      end = fragment.size();
    }
    const std::string part = fragment.substr(start, end - start);
    if (part.rfind("levels=", 0) == 0) {
      levels = part.substr(7);
    } else if (part.rfind("run=", 0) == 0) {
      run = part.substr(4);
    }
    start = end + 1;
  }
  return !levels.empty();
}
