// Reading, checking and keeping personal bests in the player's data folder.
#include "app/bests.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/xdg.h"

namespace {

// Far more than the key script of an hour's run.
constexpr std::size_t kLongestRunFile = 8 * 1024 * 1024;

bool readText(const std::string& path, std::string& text, std::string& why) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    why = std::strerror(errno);
    return false;
  }
  // One byte more than allowed tells a file that is too large, however large it is.
  text.assign(kLongestRunFile + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    why = "could not be read";
  } else if (text.size() > kLongestRunFile) {
    why = "is larger than any key script of a run";
  } else if (text.find('\0') != std::string::npos) {
    why = "is a binary file, not a key script";
  } else {
    return true;
  }
  return false;
}

// The run the text holds, if it is one of these levels, made with these rules, and finishes.
// A script without the comment that names its levels is taken when it finishes, unless
// needComment says it must have one.
bool readRun(const std::string& text, std::shared_ptr<const LevelSet> levels, bool needComment,
             KeptRun& run, std::string& why) {
  std::string madeFor;
  int rules = 0;
  const bool named = runScriptMadeFor(text, madeFor, rules);
  if (!named && needComment) {
    why = "is not a best run: no line says which levels it is for";
    return false;
  }
  if (named && madeFor != levelSetId(*levels)) {
    why = "is a run of other levels (" + madeFor + ")";
    return false;
  }
  if (named && rules != kRulesVersion) {
    why = "was made with other rules (version " + std::to_string(rules) + "; these are version " +
          std::to_string(kRulesVersion) + ")";
    return false;
  }
  KeyScript script;
  if (!parseKeyScript(text, script, why)) {
    why = "is not a key script: " + why;
    return false;
  }
  KeyFrames keys = keyFramesOf(script);
  const RunResult result = playRun(std::move(levels), keys);
  if (!result.finished) {
    why = keys.size() > static_cast<std::size_t>(kLongestRunFrames)
              ? "is longer than an hour"
              : "does not reach the last egg of these levels";
    return false;
  }
  keys.resize(result.frames);
  run.keys = std::move(keys);
  run.frames = result.frames;
  return true;
}

bool makeFolder(const std::string& folder, std::string& why) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      why = part + ": " + std::strerror(errno);
      return false;
    }
    if (slash == std::string::npos) {
      return true;
    }
  }
}

}  // namespace

std::string bestsFolder() {
  const std::string data = baseDirectory("XDG_DATA_HOME", ".local/share");
  return data.empty() ? data : data + "/eggquest";
}

std::string bestPath(const std::string& folder, const std::string& levelSetId, int speed) {
  const std::string atSpeed = speed == 100 ? "" : "-" + std::to_string(speed);
  return folder + "/best-" + levelSetId + atSpeed + ".keys";
}

bool loadBest(const std::string& path, std::shared_ptr<const LevelSet> levels, KeptRun& best,
              std::string& message) {
  message.clear();
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 && errno == ENOENT) {
    return false;
  }
  std::string text;
  std::string why;
  if (S_ISDIR(status.st_mode)) {
    why = "is a folder, not a best run";
  } else if (readText(path, text, why) && readRun(text, std::move(levels), true, best, why)) {
    return true;
  }
  const std::string aside = path + ".set-aside";
  if (std::rename(path.c_str(), aside.c_str()) == 0) {
    message = path + ": " + why + "; set aside as " + aside;
  } else {
    message =
        path + ": " + why + "; ignored (it could not be set aside: " + std::strerror(errno) + ")";
  }
  return false;
}

bool loadRun(const std::string& path, std::shared_ptr<const LevelSet> levels, KeptRun& run,
             std::string& message) {
  std::string text;
  std::string why;
  if (readText(path, text, why) && readRun(text, std::move(levels), false, run, why)) {
    return true;
  }
  message = path + ": " + why;
  return false;
}

bool keepBest(const std::string& path, const std::string& text, std::string& message) {
  const std::string folder = path.substr(0, path.rfind('/'));
  std::string why;
  if (!makeFolder(folder, why)) {
    message = "the best run could not be kept in " + folder + ": " + why;
    return false;
  }
  const std::string fresh = path + ".new";
  const int file = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool written = file >= 0;
  for (std::size_t done = 0; written && done < text.size();) {
    const ssize_t wrote = write(file, text.data() + done, text.size() - done);
    written = wrote > 0 || (wrote < 0 && errno == EINTR);
    done += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
  }
  // On the disk before the rename, so that the name never points at a part of a file.
  written = written && fsync(file) == 0;
  const int writeError = errno;
  if (file >= 0 && close(file) != 0 && written) {
    written = false;
  }
  if (!written || std::rename(fresh.c_str(), path.c_str()) != 0) {
    message = "the best run could not be kept in " + folder + ": " +
              std::strerror(written ? errno : writeError);
    unlink(fresh.c_str());
    return false;
  }
  return true;
}
