// The level file format, read the same way by the game, the replay tool and the page.
#include "world/levels.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr char kCommentStart = '#';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A byte as a message shows it: printable ones quoted, the invisible ones named.
std::string showByte(unsigned char byte) {
  if (byte == ' ') {
    return "a space";
  }
  if (byte == '\t') {
    return "a tab";
  }
  if (byte == '\r') {
    return "a carriage return";
  }
  char shown[16];
  if (byte > ' ' && byte < 0x7F) {
    std::snprintf(shown, sizeof shown, "'%c'", byte);
  } else {
    std::snprintf(shown, sizeof shown, "byte 0x%02X", byte);
  }
  return shown;
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Trailing spaces and tabs are invisible in an editor, so a row may carry them.
std::string_view withoutTrailingBlanks(std::string_view line) {
  const std::size_t end = line.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : line.substr(0, end + 1);
}

bool hasEgg(const Level& level) {
  for (const auto& row : level) {
    for (const std::int32_t code : row) {
      if (code == kEggTile) {
        return true;
      }
    }
  }
  return false;
}

// What reading has made so far: the levels, and how much of the last one.
struct Reading {
  std::vector<Level> levels;
  int rows = 0;       // of the level being read
  int firstLine = 0;  // of the level being read
  LevelProblem problem;
};

bool fail(Reading& reading, int line, int column, std::string message) {
  reading.problem = {line, column, std::move(message)};
  return false;
}

// A blank line or the end of the text: the level being read, if any, must be whole.
bool endLevel(Reading& reading, int lineNumber) {
  if (reading.rows == 0) {
    return true;
  }
  const std::string level = "level " + std::to_string(reading.levels.size());
  if (reading.rows < kMapSize) {
    return fail(reading, lineNumber, 0, level + " has " + std::to_string(reading.rows) + " lines");
  }
  if (!hasEgg(reading.levels.back())) {
    return fail(reading, reading.firstLine, 0, "no egg in " + level);
  }
  reading.rows = 0;
  return true;
}

bool readLine(Reading& reading, std::string_view line, int lineNumber) {
  if (!line.empty() && line.front() == kCommentStart) {
    return true;
  }
  if (isBlank(line)) {
    return endLevel(reading, lineNumber);
  }
  if (reading.rows == 0) {
    if (static_cast<int>(reading.levels.size()) == kMaxLevels) {
      return fail(reading, lineNumber, 0,
                  "a level file holds at most 20 levels; level 21 starts here");
    }
    reading.levels.emplace_back();
    reading.firstLine = lineNumber;
  }
  if (reading.rows == kMapSize) {
    return fail(reading, lineNumber, 0,
                "level " + std::to_string(reading.levels.size()) + " has more than 20 lines");
  }
  const std::string_view row = withoutTrailingBlanks(line);
  for (std::size_t column = 0; column < row.size(); ++column) {
    const auto byte = static_cast<unsigned char>(row[column]);
    const int at = static_cast<int>(column) + 1;
    if (column == static_cast<std::size_t>(kMapSize)) {
      return fail(reading, lineNumber, at,
                  "expected the end of the line after 20 tile codes, found " + showByte(byte));
    }
    if (byte < '0' || byte > '9') {
      return fail(reading, lineNumber, at, "expected a tile code 0-9, found " + showByte(byte));
    }
    reading.levels.back()[reading.rows][column] = byte - '0';
  }
  if (row.size() < static_cast<std::size_t>(kMapSize)) {
    return fail(reading, lineNumber, static_cast<int>(row.size()) + 1,
                "expected 20 tile codes in a line, found " + std::to_string(row.size()));
  }
  ++reading.rows;
  return true;
}

bool binaryAt(Reading& reading, std::string_view text, std::size_t offset) {
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return fail(reading, line, static_cast<int>(offset - lineStart) + 1,
              "is a binary file, not a level file (found a zero byte)");
}

bool readAll(Reading& reading, std::string_view text) {
  if (text.size() > kMaxLevelFileBytes) {
    return fail(reading, 0, 0, "is larger than 64 KB, more than any set of 20 levels needs");
  }
  if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
    return binaryAt(reading, text, zero);
  }
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (!readLine(reading, line, lineNumber)) {
      return false;
    }
  }
  if (!endLevel(reading, lineNumber + 1)) {
    return false;
  }
  if (reading.levels.empty()) {
    return fail(reading, 0, 0, "holds no level: a level file holds 1 to 20 levels");
  }
  return true;
}

}  // namespace

bool readLevels(const std::string& text, std::vector<Level>& levels, LevelProblem& problem) {
  Reading reading;
  if (!readAll(reading, text)) {
    problem = reading.problem;
    return false;
  }
  levels = std::move(reading.levels);
  return true;
}

std::string describeLevelProblem(const std::string& source, const LevelProblem& problem) {
  std::string described = source;
  if (problem.line > 0) {
    described += ":" + std::to_string(problem.line);
    if (problem.column > 0) {
      described += ":" + std::to_string(problem.column);
    }
  }
  return described + ": " + problem.message;
}

std::string writeLevels(const std::vector<Level>& levels) {
  std::string text = "# eggquest levels: 20 lines of 20 tile codes each, a blank line between\n";
  for (std::size_t index = 0; index < levels.size(); ++index) {
    text += index == 0 ? "" : "\n";
    for (const auto& row : levels[index]) {
      for (const std::int32_t code : row) {
        text += static_cast<char>('0' + code);
      }
      text += '\n';
    }
  }
  return text;
}

bool loadLevelFile(const char* path, std::vector<Level>& levels, std::string& message) {
  const std::string source = path;
  struct stat status {};
  if (stat(path, &status) != 0) {
    message = source + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(status.st_mode)) {
    message = source + ": is a folder, not a level file";
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    message = source + ": is not a regular file";
    return false;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    message = source + ": " + std::strerror(errno);
    return false;
  }
  // One byte more than allowed tells a file that is too large, however large it is.
  std::string text(kMaxLevelFileBytes + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    message = source + ": could not be read";
    return false;
  }
  LevelProblem problem;
  if (!readLevels(text, levels, problem)) {
    message = describeLevelProblem(source, problem);
    return false;
  }
  return true;
}
