// The level link's encoding, described in level_link.h and docs/LEVELS.md.
#include "world/level_link.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr int kCells = kMapSize * kMapSize;
constexpr int kShortRunLimit = 15;  // the high nibble's value that says a length byte follows
constexpr int kLongRunStart = 16;
constexpr int kLongestRun = kLongRunStart + 255;
constexpr std::size_t kCheckBytes = 4;
// The longest link a set of 20 levels can give, every run one code long, with room to spare: a
// longer one is refused before it is decoded.
constexpr std::size_t kLongestLink = 16 * 1024;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::uint32_t check(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
  }
  return hash;
}

std::string toBase64Url(std::string_view bytes) {
  std::string text;
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char byte : bytes) {
    bits = (bits << 8) | static_cast<unsigned char>(byte);
    bitCount += 8;
    while (bitCount >= 6) {
      bitCount -= 6;
      text += kAlphabet[(bits >> bitCount) & 63];
    }
  }
  if (bitCount > 0) {
    text += kAlphabet[(bits << (6 - bitCount)) & 63];
  }
  return text;
}

bool fromBase64Url(std::string_view text, std::string& bytes, std::string& problem) {
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char letter : text) {
    const std::size_t value = std::string_view(kAlphabet).find(letter);
    if (value == std::string_view::npos) {
      problem = "the link is damaged: it holds a character that no level link has";
      return false;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes += static_cast<char>((bits >> bitCount) & 0xFF);
    }
  }
  return true;
}

void appendRun(std::string& bytes, int code, int length) {
  while (length > 0) {
    const int run = length < kLongestRun ? length : kLongestRun;
    if (run < kLongRunStart) {
      bytes += static_cast<char>(((run - 1) << 4) | code);
    } else {
      bytes += static_cast<char>((kShortRunLimit << 4) | code);
      bytes += static_cast<char>(run - kLongRunStart);
    }
    length -= run;
  }
}

bool damaged(std::string& problem) {
  problem = "the link is damaged or incomplete: its levels do not add up";
  return false;
}

}  // namespace

std::string encodeLevelLink(const std::vector<Level>& levels) {
  std::string bytes(1, static_cast<char>(levels.size()));
  for (const Level& level : levels) {
    const std::int32_t* cells = &level[0][0];
    for (int start = 0; start < kCells;) {
      int end = start + 1;
      while (end < kCells && cells[end] == cells[start]) {
        ++end;
      }
      appendRun(bytes, cells[start], end - start);
      start = end;
    }
  }
  const std::uint32_t hash = check(bytes);
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes += static_cast<char>((hash >> shift) & 0xFF);
  }
  return std::to_string(kLevelLinkVersion) + "." + toBase64Url(bytes);
}

bool decodeLevelLink(const std::string& link, std::vector<Level>& levels, std::string& problem) {
  if (link.size() > kLongestLink) {
    problem = "the link is too long to hold levels";
    return false;
  }
  const std::size_t dot = link.find('.');
  const std::string_view version = std::string_view(link).substr(0, dot);
  if (dot == std::string::npos || version.empty() || version.size() > 4 ||
      version.find_first_not_of("0123456789") != std::string_view::npos) {
    problem = "the link is damaged: it does not start with the version of its levels";
    return false;
  }
  if (std::stoi(std::string(version)) != kLevelLinkVersion) {
    problem = "the link was made by another version of eggquest (levels version " +
              std::string(version) + "); this one reads version " +
              std::to_string(kLevelLinkVersion);
    return false;
  }
  std::string bytes;
  if (!fromBase64Url(std::string_view(link).substr(dot + 1), bytes, problem)) {
    return false;
  }
  if (bytes.size() <= kCheckBytes) {
    return damaged(problem);
  }
  const std::string_view body = std::string_view(bytes).substr(0, bytes.size() - kCheckBytes);
  std::uint32_t stored = 0;
  for (std::size_t i = body.size(); i < bytes.size(); ++i) {
    stored = (stored << 8) | static_cast<unsigned char>(bytes[i]);
  }
  if (stored != check(body)) {
    problem = "the link is damaged or incomplete: its check does not match its levels";
    return false;
  }
  const int count = static_cast<unsigned char>(body[0]);
  if (count < 1 || count > kMaxLevels) {
    return damaged(problem);
  }
  std::vector<Level> decoded(count);
  std::size_t at = 1;
  for (Level& level : decoded) {
    std::int32_t* cells = &level[0][0];
    for (int filled = 0; filled < kCells;) {
      if (at == body.size()) {
        return damaged(problem);
      }
      const auto run = static_cast<unsigned char>(body[at++]);
      const int code = run & 0x0F;
      int length = (run >> 4) + 1;
      if ((run >> 4) == kShortRunLimit) {
        if (at == body.size()) {
          return damaged(problem);
        }
        length = kLongRunStart + static_cast<unsigned char>(body[at++]);
      }
      if (code >= kTileCodes || length > kCells - filled) {
        return damaged(problem);
      }
      for (int i = 0; i < length; ++i) {
        cells[filled++] = code;
      }
    }
  }
  if (at != body.size()) {
    return damaged(problem);
  }
  // Checked as a file is: the same rules, the same messages.
  std::vector<Level> checked;
  LevelProblem levelProblem;
  if (!readLevels(writeLevels(decoded), checked, levelProblem)) {
    problem = "the link's levels cannot be played: " + levelProblem.message;
    return false;
  }
  levels = std::move(checked);
  return true;
}
