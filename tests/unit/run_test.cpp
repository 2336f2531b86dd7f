// Runs: the timer and its splits, runs written as key scripts and read back, run links and every
// kind of damage, the bests' files kept whole and garbage set aside, and a ghost that never
// touches the player.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/bests.h"
#include "world/key_script.h"
#include "world/levels.h"
#include "world/run.h"
#include "world/run_link.h"
#include "world/world.h"

namespace {

std::shared_ptr<const LevelSet> builtIn() {
  return std::make_shared<const LevelSet>(builtInLevels());
}

KeyFrames scriptKeys(const std::string& path) {
  KeyScript script;
  std::string error;
  EXPECT_TRUE(loadKeyScript(path, script, error)) << error;
  return keyFramesOf(script);
}

std::string textOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The recorded playthrough ends in frame 245: 246 frames, level 2 drawn from frame 121.
TEST(Run, TheTimerCountsEveryFrameToTheEggsAndSplitsThemByLevel) {
  const RunResult playthrough = playRun(builtIn(), scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS));
  EXPECT_TRUE(playthrough.finished);
  EXPECT_EQ(playthrough.frames, 246);
  EXPECT_EQ(playthrough.splits, (std::vector<int>{121, 125}));
  EXPECT_EQ(formatTime(246), "4.10");
  EXPECT_EQ(formatTime(741), "12.35");
  EXPECT_EQ(formatTime(0), "0.00");
  EXPECT_EQ(formatTime(1), "0.02");  // to the nearest hundredth
  EXPECT_EQ(formatTime(kLongestRunFrames), "3600.00");
  // Cut before the egg, or ended by Escape: not finished.
  KeyFrames cut = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  cut.resize(245);
  EXPECT_FALSE(playRun(builtIn(), cut).finished);
  KeyFrames escaped = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  escaped[200].escape = true;
  const RunResult ended = playRun(builtIn(), escaped);
  EXPECT_FALSE(ended.finished);
  EXPECT_EQ(ended.frames, 201);
}

// A run written as a key script reads back as the same keys, to the same frame, and says which
// levels and rules it was made for; the replay tool reads it too (tests/x11).
TEST(Run, ARunScriptReadsBackAsTheSameRun) {
  const KeyFrames keys = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  const RunResult result = playRun(builtIn(), keys);
  const std::string id = levelSetId(builtInLevels());
  const std::string text =
      writeRunScript(KeyFrames(keys.begin(), keys.begin() + result.frames), id, result.frames);
  KeyScript script;
  std::string error;
  ASSERT_TRUE(parseKeyScript(text, script, error)) << error << "\n" << text;
  KeyFrames again = keyFramesOf(script);
  EXPECT_EQ(playRun(builtIn(), again).frames, 246);
  EXPECT_TRUE(again.back().escape) << "the script closes after the egg";
  again.pop_back();
  EXPECT_EQ(again, KeyFrames(keys.begin(), keys.begin() + 246));
  std::string madeFor;
  int rules = 0;
  ASSERT_TRUE(runScriptMadeFor(text, madeFor, rules));
  EXPECT_EQ(madeFor, id);
  EXPECT_EQ(rules, kRulesVersion);
  EXPECT_FALSE(runScriptMadeFor("40-57 Right\n", madeFor, rules));
}

// A set is its tiles: the same from a file with comments, another for one tile changed.
TEST(Run, ALevelSetIsKnownByItsTiles) {
  LevelSet read;
  LevelProblem problem;
  ASSERT_TRUE(readLevels("# mine\n" + writeLevels(builtInLevels()) + "# the end\n", read, problem));
  EXPECT_EQ(levelSetId(read), levelSetId(builtInLevels()));
  read[1][0][0] = 3;
  EXPECT_NE(levelSetId(read), levelSetId(builtInLevels()));
  EXPECT_NE(levelSetId({builtInLevels()[0]}), levelSetId(builtInLevels()));
  EXPECT_EQ(levelSetId(builtInLevels()).size(), 16u);
}

TEST(RunLink, RoundTripsShortAndTheTimeIsTheRunsOwn) {
  KeyFrames keys = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  keys.resize(246);
  const std::string link = encodeRunLink(builtInLevels(), keys);
  EXPECT_EQ(link.substr(0, 2), "1.");
  EXPECT_LT(link.size(), 40u) << link;
  // Thirty seconds of a player's keys, changing every ten frames: within 300 characters.
  KeyFrames player;
  for (int frame = 0; frame < 30 * kGameFramesPerSecond; ++frame) {
    HeldKeys keys;
    keys.right = frame / 10 % 2 == 0;
    keys.up = frame / 10 % 3 == 0;
    player.push_back(keys);
  }
  EXPECT_LE(encodeRunLink(builtInLevels(), player).size(), 300u);
  KeyFrames decoded;
  std::string problem;
  ASSERT_TRUE(decodeRunLink(link, builtIn(), decoded, problem)) << problem;
  EXPECT_EQ(decoded, keys);
  // A long wait goes in a few bytes: on ground with an egg above it, two columns to the right,
  // the chicken waits most of an hour, walks under the egg's column and jumps to fall onto it.
  Level level{};
  for (auto& row : level) {
    row.fill(2);
  }
  level[18].fill(kSolidTile);
  level[16][12] = kEggTile;
  const auto waiting = std::make_shared<const LevelSet>(LevelSet{level});
  KeyFrames wait(kLongestRunFrames - 200);
  HeldKeys right, up;
  right.right = true;
  up.up = true;
  wait.insert(wait.end(), 12, right);
  wait.push_back(up);
  wait.insert(wait.end(), 100, HeldKeys{});
  const RunResult waited = playRun(waiting, wait);
  ASSERT_TRUE(waited.finished);
  wait.resize(waited.frames);
  const std::string longLink = encodeRunLink(*waiting, wait);
  EXPECT_LT(longLink.size(), 40u) << longLink;
  ASSERT_TRUE(decodeRunLink(longLink, waiting, decoded, problem)) << problem;
  EXPECT_EQ(decoded, wait);
}

std::string runProblem(const std::string& link, const LevelSet& levels = builtInLevels()) {
  KeyFrames keys{HeldKeys{}};
  std::string problem;
  if (decodeRunLink(link, std::make_shared<const LevelSet>(levels), keys, problem)) {
    return "read";
  }
  EXPECT_EQ(keys.size(), 1u) << "a refused link changed the keys";
  return problem;
}

TEST(RunLink, EveryKindOfDamageIsRefusedAndSaysSo) {
  KeyFrames keys = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  keys.resize(246);
  const std::string link = encodeRunLink(builtInLevels(), keys);
  // Every cut and every changed character.
  for (std::size_t length = 0; length < link.size(); ++length) {
    EXPECT_NE(runProblem(link.substr(0, length)), "read") << length;
  }
  for (std::size_t at = 0; at < link.size(); ++at) {
    for (const char c : std::string("0Az_-.+")) {
      std::string changed = link;
      if (changed[at] == c) {
        continue;
      }
      changed[at] = c;
      EXPECT_NE(runProblem(changed), "read") << changed;
    }
  }
  EXPECT_EQ(runProblem("2" + link.substr(1)),
            "the run link was made by another version of eggquest (run version 2); this one "
            "reads version 1");
  EXPECT_EQ(runProblem(link.substr(0, link.size() - 3)),
            "the run link is damaged or incomplete: its check does not match its keys");
  EXPECT_EQ(runProblem(link + "!"),
            "the run link is damaged: it holds a character that no run link has");
  EXPECT_EQ(runProblem(std::string(1024 * 1024, 'A')), "the run link is too long to hold keys");
  LevelSet other = builtInLevels();
  other[0][0][0] = 3;
  EXPECT_EQ(runProblem(link, other), "the run was made on other levels than these");
  // Whole and checked, but short of the egg, or past an hour.
  EXPECT_EQ(runProblem(encodeRunLink(builtInLevels(), KeyFrames(keys.begin(), keys.end() - 1))),
            "the run does not reach the last egg");
  EXPECT_EQ(runProblem(encodeRunLink(builtInLevels(), KeyFrames(kLongestRunFrames + 1))),
            "the run is longer than an hour");
}

// A ghost is a world of its own: racing it changes nothing of the player's frames, and it
// follows its own run's levels.
TEST(TimeTrial, TheGhostNeverTouchesThePlayer) {
  const KeyFrames fast = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  const KeyFrames slow = scriptKeys(EGGQUEST_REPLAYS_DIR "/sounds.keys");
  const auto levels = builtIn();
  World alone = startWorld(levels), racing = startWorld(levels);
  TimeTrial trial = startTrial(levels, &fast);
  bool ghostLeftFirst = false;
  for (int frame = 0; frame < 400 && racing.quitRequested == 0; ++frame) {
    for (World* world : {&alone, &racing}) {
      updatePhysics(*world);
      world->quitRequested |= handleInput(*world, slow[frame], scriptedMsAt(frame));
    }
    const int shown = racing.currentLevel;
    countTrialFrame(trial, shown, slow[frame]);
    ASSERT_EQ(racing, alone) << "frame " << frame;
    ghostLeftFirst |= trial.ghost.currentLevel == 2 && racing.currentLevel == 1;
    EXPECT_EQ(ghostShown(trial, racing),
              trial.ghost.quitRequested == 0 && trial.ghost.currentLevel == racing.currentLevel);
  }
  EXPECT_TRUE(ghostLeftFirst) << "the ghost reaches level 2 while the player is still in level 1";
  EXPECT_TRUE(trial.ghost.goalReached);
  EXPECT_EQ(trial.keys.size(), static_cast<std::size_t>(trial.frames));
  EXPECT_EQ(playRun(levels, fast).frames, 246);
}

// A temporary data folder for the bests, gone at the end of the test.
struct BestsFolder : testing::Test {
  std::string folder;
  void SetUp() override {
    char name[] = "/tmp/eggquest-bests-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = std::string(name) + "/data/eggquest";
  }
  void TearDown() override {
    const std::string root = folder.substr(0, folder.find("/data"));
    EXPECT_EQ(std::system(("chmod -R u+w " + root + " && rm -rf " + root).c_str()), 0);
  }
  void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
};

TEST_F(BestsFolder, ABestIsKeptWholeAndReadBackToTheSameFrames) {
  const auto levels = builtIn();
  const std::string path = bestPath(folder, levelSetId(*levels));
  KeptRun best;
  std::string message;
  EXPECT_FALSE(loadBest(path, levels, best, message));
  EXPECT_EQ(message, "") << "no best yet is nothing to say";
  KeyFrames keys = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  keys.resize(246);
  const std::string text = writeRunScript(keys, levelSetId(*levels), 246);
  ASSERT_TRUE(keepBest(path, text, message)) << message;
  EXPECT_EQ(textOf(path), text);
  EXPECT_NE(access((path + ".new").c_str(), F_OK), 0) << "the new file is renamed, not left";
  ASSERT_TRUE(loadBest(path, levels, best, message)) << message;
  EXPECT_EQ(best.frames, 246);
  EXPECT_EQ(best.keys, keys);
}

TEST_F(BestsFolder, GarbageIsSetAsideAndNeverLosesTheBest) {
  const auto levels = builtIn();
  const std::string id = levelSetId(*levels);
  const std::string path = bestPath(folder, id);
  std::string message;
  ASSERT_TRUE(keepBest(path, "old\n", message)) << message;
  KeyFrames keys = scriptKeys(EGGQUEST_PLAYTHROUGH_KEYS);
  keys.resize(246);
  const std::string good = writeRunScript(keys, id, 246);
  const std::pair<std::string, std::string> garbage[] = {
      {"old\n", "is not a best run: no line says which levels it is for"},
      {std::string("\x89PNG\r\n\x1a\n\0\0", 10), "is a binary file, not a key script"},
      {writeRunScript(keys, "0123456789abcdef", 246),
       "is a run of other levels (0123456789abcdef)"},
      {good.substr(0, good.find('\n') + 1) + "1 Down\n",
       "is not a key script: line 2: unknown key "
       "'Down' (Left, Right, Up, Escape)"},
      {writeRunScript(KeyFrames(keys.begin(), keys.begin() + 150), id, 150),
       "does not reach the last egg of these levels"},
  };
  for (const auto& [text, why] : garbage) {
    write(path, text);
    KeptRun best;
    EXPECT_FALSE(loadBest(path, levels, best, message));
    EXPECT_EQ(message, path + ": " + why + "; set aside as " + path + ".set-aside");
    EXPECT_EQ(textOf(path + ".set-aside"), text);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
  }
  // A folder that cannot be written keeps what it has and says why.
  ASSERT_TRUE(keepBest(path, good, message)) << message;
  ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
  if (access(folder.c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_FALSE(keepBest(path, "newer\n", message));
    EXPECT_EQ(message, "the best run could not be kept in " + folder + ": Permission denied");
    EXPECT_EQ(textOf(path), good);
  }
  chmod(folder.c_str(), 0700);
  // A full disk: the new file cannot be written whole, and the old one stays.
  if (access("/dev/full", W_OK) == 0) {
    ASSERT_EQ(symlink("/dev/full", (path + ".new").c_str()), 0);
    EXPECT_FALSE(keepBest(path, "newer\n", message));
    EXPECT_EQ(message, "the best run could not be kept in " + folder + ": No space left on device");
    EXPECT_EQ(textOf(path), good);
  }
}

}  // namespace
