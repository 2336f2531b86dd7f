// Playing runs, writing them as key scripts, and the time trial's count and ghost.
#include "world/run.h"

#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

constexpr char kRunComment[] = "# eggquest run: levels ";
constexpr char kRulesWord[] = ", rules ";

// One frame of a world's own run: the rules' two steps, with the run's clock.
void stepRun(World& world, const HeldKeys& keys, int frame) {
  updatePhysics(world);
  if (handleInput(world, keys, scriptedMsAt(frame)) == 1) {
    world.quitRequested = 1;
  }
}

void countSplit(std::vector<int>& splits, int level) {
  if (splits.size() < static_cast<std::size_t>(level)) {
    splits.resize(level);
  }
  ++splits[level - 1];
}

}  // namespace

RunResult playRun(std::shared_ptr<const LevelSet> levels, const KeyFrames& keys) {
  World world = startWorld(std::move(levels));
  RunResult result;
  for (int frame = 0; frame < static_cast<int>(keys.size()) && world.quitRequested == 0 &&
                      frame < kLongestRunFrames;
       ++frame) {
    countSplit(result.splits, world.currentLevel);
    stepRun(world, keys[frame], frame);
    result.frames = frame + 1;
  }
  result.finished = world.goalReached;
  return result;
}

KeyFrames keyFramesOf(const KeyScript& script) {
  KeyFrames keys(script.ranges.empty() ? 0 : lastScriptedFrame(script) + 1);
  for (const KeyRange& range : script.ranges) {
    for (int frame = range.first; frame <= range.last; ++frame) {
      keys[frame].left |= range.keys.left;
      keys[frame].right |= range.keys.right;
      keys[frame].up |= range.keys.up;
      keys[frame].escape |= range.keys.escape;
    }
  }
  return keys;
}

std::string writeRunScript(const KeyFrames& keys, const std::string& levelSetId, int frames) {
  const std::pair<bool HeldKeys::*, const char*> names[] = {
      {&HeldKeys::left, "Left"}, {&HeldKeys::right, "Right"}, {&HeldKeys::up, "Up"}};
  const int count = static_cast<int>(keys.size());
  std::string text = kRunComment + levelSetId + kRulesWord + std::to_string(kRulesVersion) + ", " +
                     std::to_string(frames) + " frames (" + formatTime(frames) + " s)\n";
  // Each key's ranges, in the order they begin.
  for (int frame = 0; frame < count; ++frame) {
    for (const auto& [key, name] : names) {
      if (!(keys[frame].*key) || (frame > 0 && keys[frame - 1].*key)) {
        continue;
      }
      int last = frame;
      while (last + 1 < count && keys[last + 1].*key) {
        ++last;
      }
      text += std::to_string(frame);
      if (last > frame) {
        text += "-" + std::to_string(last);
      }
      text += std::string(" ") + name + "\n";
    }
  }
  text += "# The last egg ends the run in frame " + std::to_string(frames - 1) +
          "; the Escape after it only closes the script.\n" + std::to_string(frames) + " Escape\n";
  return text;
}

bool runScriptMadeFor(const std::string& text, std::string& levelSetId, int& rulesVersion) {
  const std::size_t start = text.find(kRunComment);
  if (start == std::string::npos || (start > 0 && text[start - 1] != '\n')) {
    return false;
  }
  const std::size_t idStart = start + sizeof kRunComment - 1;
  const std::size_t idEnd = text.find(kRulesWord, idStart);
  const std::size_t lineEnd = text.find('\n', idStart);
  if (idEnd == std::string::npos || idEnd > lineEnd) {
    return false;
  }
  const std::size_t versionStart = idEnd + sizeof kRulesWord - 1;
  std::size_t versionEnd = versionStart;
  int version = 0;
  while (versionEnd < text.size() && versionEnd - versionStart < 6 && text[versionEnd] >= '0' &&
         text[versionEnd] <= '9') {
    version = version * 10 + (text[versionEnd++] - '0');
  }
  if (versionEnd == versionStart) {
    return false;
  }
  levelSetId = text.substr(idStart, idEnd - idStart);
  rulesVersion = version;
  return true;
}

std::string levelSetId(const LevelSet& levels) {
  // 64-bit FNV-1a over the tile codes, level after level.
  std::uint64_t hash = 14695981039346656037u;
  for (const Level& level : levels) {
    for (const auto& row : level) {
      for (const std::int32_t code : row) {
        hash = (hash ^ static_cast<std::uint8_t>(code)) * 1099511628211u;
      }
    }
    hash = (hash ^ 0xFFu) * 1099511628211u;  // where one level ends and the next begins
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string formatTime(int frames) {
  const long long hundredths =
      (static_cast<long long>(frames) * 100 + kGameFramesPerSecond / 2) / kGameFramesPerSecond;
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
  return text;
}

TimeTrial startTrial(std::shared_ptr<const LevelSet> levels, const KeyFrames* ghostKeys) {
  TimeTrial trial;
  trial.ghost = startWorld(std::move(levels));
  if (ghostKeys != nullptr) {
    trial.hasGhost = true;
    trial.ghostKeys = *ghostKeys;
  }
  return trial;
}

void countTrialFrame(TimeTrial& trial, int levelShown, const HeldKeys& keys) {
  countSplit(trial.splits, levelShown);
  trial.keys.push_back(keys);
  if (trial.hasGhost && trial.ghost.quitRequested == 0) {
    const int frame = trial.frames;
    stepRun(trial.ghost,
            frame < static_cast<int>(trial.ghostKeys.size()) ? trial.ghostKeys[frame] : HeldKeys{},
            frame);
  }
  ++trial.frames;
}

bool ghostShown(const TimeTrial& trial, const World& player) {
  return trial.hasGhost && trial.ghost.quitRequested == 0 &&
         trial.ghost.currentLevel == player.currentLevel;
}
