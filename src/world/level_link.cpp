// The level link's encoding, described in level_link.h and docs/LEVELS.md.
#include "world/level_link.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "world/link_bytes.h"

namespace {

constexpr int kCells = kMapSize * kMapSize;
constexpr int kShortRunLimit = 15;  // the high nibble's value that says a length byte follows
constexpr int kLongRunStart = 16;
constexpr int kLongestRun = kLongRunStart + 255;
// The longest link a set of 20 levels can give, every run one code long, with room to spare: a
// longer one is refused before it is decoded.
constexpr std::size_t kLongestLink = 16 * 1024;

const LinkWords kWords{"the link", "level link", "levels", "levels"};

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
  return sealLink(kLevelLinkVersion, std::move(bytes));
}

bool decodeLevelLink(const std::string& link, std::vector<Level>& levels, std::string& problem) {
  std::string bytes;
  if (!openLink(link, kLevelLinkVersion, kLongestLink, kWords, bytes, problem)) {
    return false;
  }
  const std::string_view body = bytes;
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
