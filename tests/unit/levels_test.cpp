// Level files and level links: what they accept, what they refuse and with which words, and the
// world playing a set of them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "world/key_script.h"
#include "world/level_link.h"
#include "world/levels.h"
#include "world/world.h"

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A level of sky over solid ground, with an egg on the ground at the given column.
Level plainLevel(int eggColumn) {
  Level level{};
  for (auto& row : level) {
    row.fill(2);
  }
  level[kMapSize - 2].fill(kSolidTile);
  level[kMapSize - 3][eggColumn] = kEggTile;
  return level;
}

std::string levelText(const Level& level) {
  return writeLevels({level}).substr(writeLevels({}).size());
}

std::string problemIn(const std::string& text) {
  std::vector<Level> levels{plainLevel(3)};
  LevelProblem problem;
  if (readLevels(text, levels, problem)) {
    return "read";
  }
  EXPECT_EQ(levels.size(), 1u) << "a refused text changed the levels";
  return describeLevelProblem("f", problem);
}

// A world plays the game's own set unless given another.
TEST(LevelFile, AWorldPlaysTheBuiltInLevelsUnlessGivenOthers) {
  EXPECT_EQ(*startWorld().levels, builtInLevels());
  const auto mine = std::make_shared<const LevelSet>(LevelSet{plainLevel(3)});
  EXPECT_EQ(startWorld(mine).levels, mine);
  ASSERT_EQ(builtInLevels().size(), 2u);
  for (int row = 0; row < kMapSize; ++row) {
    for (int column = 0; column < kMapSize; ++column) {
      ASSERT_EQ(builtInLevels()[0][row][column], level1Map[row][column]);
      ASSERT_EQ(builtInLevels()[1][row][column], level2Map[row][column]);
    }
  }
}

// The players' table of tile codes says what the game's own table does.
TEST(LevelFile, TheDocumentedTilesAreTheGamesOwn) {
  std::istringstream document(fileText(EGGQUEST_DOCS_DIR "/LEVELS.md"));
  std::vector<std::string> rows;
  for (std::string line; std::getline(document, line);) {
    if (line.rfind("| ", 0) == 0 && line.size() > 2 && line[2] >= '0' && line[2] <= '9') {
      std::string plain;
      for (const char c : line) {
        plain += c == '*' ? "" : std::string(1, c);
      }
      rows.push_back(plain);
    }
  }
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kTileCodes));
  for (int code = 0; code < kTileCodes; ++code) {
    EXPECT_EQ(rows[code], "| " + std::to_string(code) + " | " + tileSet[code].picture + " (`" +
                              tileSet[code].fileName + "`) | " + tileSet[code].rule + " |");
  }
}

TEST(LevelFile, AcceptsWhatEditorsWrite) {
  const std::string level = levelText(plainLevel(4));
  std::string crlf;
  for (const char c : level) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  std::string trailing = level;
  trailing.insert(20, " \t ");
  const std::string cases[] = {
      level,
      "\xEF\xBB\xBF" + level,
      crlf,
      trailing,
      "# made on a phone, naïvely\n\n\n" + level + "\n\n",
      level.substr(0, 21 * 5) + "# a comment inside a level\n" + level.substr(21 * 5),
      level.substr(0, level.size() - 1),  // no line end at the end
  };
  for (const std::string& text : cases) {
    std::vector<Level> levels;
    LevelProblem problem;
    EXPECT_TRUE(readLevels(text, levels, problem)) << text << problem.message;
    EXPECT_EQ(levels, std::vector<Level>{plainLevel(4)});
  }
  std::vector<Level> twenty(kMaxLevels, plainLevel(7));
  twenty[19] = plainLevel(19);
  std::vector<Level> readBack;
  LevelProblem problem;
  EXPECT_TRUE(readLevels(writeLevels(twenty), readBack, problem)) << problem.message;
  EXPECT_EQ(readBack, twenty);
}

TEST(LevelFile, RefusesWithTheLineTheColumnAndWhatWasExpected) {
  const std::string level = levelText(plainLevel(4));
  const std::string row(20, '2');
  std::string twentyOne;
  for (int i = 0; i < 21; ++i) {
    twentyOne += (i == 0 ? "" : "\n") + level;
  }
  std::string noEgg = level;
  noEgg[17 * 21 + 4] = '2';
  std::string solidStart = level;
  solidStart[10 * 21 + 10] = '1';
  const std::pair<std::string, std::string> cases[] = {
      {"", "f: holds no level: a level file holds 1 to 20 levels"},
      {"# only a comment\n\n", "f: holds no level: a level file holds 1 to 20 levels"},
      {"2222x222222222222222\n", "f:1:5: expected a tile code 0-9, found 'x'"},
      {"\t2222222222222222222\n", "f:1:1: expected a tile code 0-9, found a tab"},
      {" 2222222222222222222\n", "f:1:1: expected a tile code 0-9, found a space"},
      {"22 22222222222222222\n", "f:1:3: expected a tile code 0-9, found a space"},
      {"2\xC3\xA9" + row + "\n", "f:1:2: expected a tile code 0-9, found byte 0xC3"},
      {"22\r2\n", "f:1:3: expected a tile code 0-9, found a carriage return"},
      {row.substr(1) + "\n", "f:1:20: expected 20 tile codes in a line, found 19"},
      {row + "2\n", "f:1:21: expected the end of the line after 20 tile codes, found '2'"},
      {level.substr(0, 21 * 19) + "\n" + level, "f:20: level 1 has 19 lines"},
      {level + level, "f:21: level 1 has more than 20 lines"},
      {level + "\n" + level.substr(0, 21 * 3), "f:25: level 2 has 3 lines"},
      {level + "\n" + noEgg, "f:22: no egg in level 2"},
      {twentyOne, "f:421: a level file holds at most 20 levels; level 21 starts here"},
      {level.substr(0, 30) + std::string(1, '\0') + level,
       "f:2:10: is a binary file, not a level file (found a zero byte)"},
      {std::string(kMaxLevelFileBytes + 1, '#'),
       "f: is larger than 64 KB, more than any set of 20 levels needs"},
      {solidStart, "read"},  // the chicken starts in front of a solid tile; only tiles below count
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(problemIn(text), expected) << text;
  }
}

// Every byte in every kind of place: read whole, or refused with a place and a message.
TEST(LevelFile, AnyByteAnywhereIsReadOrRefusedCleanly) {
  const std::string level = levelText(plainLevel(4));
  for (const std::size_t at : {std::size_t{0}, std::size_t{5}, std::size_t{20}, level.size()}) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string text = level;
      text.insert(at, 1, static_cast<char>(byte));
      const std::string outcome = problemIn(text);
      if (outcome != "read") {
        EXPECT_NE(outcome.find(": "), std::string::npos) << byte << " at " << at;
        EXPECT_EQ(outcome.find('\0'), std::string::npos);
      }
    }
  }
}

TEST(LevelFile, LoadingNamesTheFileAndRefusesWhatIsNoLevelFile) {
  char folder[] = "/tmp/level-test-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string base = folder;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(base + "/" + name, std::ios::binary) << text;
    return base + "/" + name;
  };
  const std::string good = write("good.txt", levelText(plainLevel(4)));
  const std::pair<std::string, std::string> cases[] = {
      {base + "/missing.txt", base + "/missing.txt: No such file or directory"},
      {base, base + ": is a folder, not a level file"},
      {"/dev/null", "/dev/null: is not a regular file"},
      {write("big.txt", std::string(kMaxLevelFileBytes + 5, '2')),
       base + "/big.txt: is larger than 64 KB, more than any set of 20 levels needs"},
      {write("picture.png", std::string("\x89PNG\r\n\x1A\n\0\0", 10)),
       base + "/picture.png:3:1: is a binary file, not a level file (found a zero byte)"},
  };
  for (const auto& [path, expected] : cases) {
    std::vector<Level> levels;
    std::string message;
    EXPECT_FALSE(loadLevelFile(path.c_str(), levels, message));
    EXPECT_EQ(message, expected);
    EXPECT_TRUE(levels.empty());
  }
  std::vector<Level> levels;
  std::string message;
  EXPECT_TRUE(loadLevelFile(good.c_str(), levels, message)) << message;
  EXPECT_EQ(levels, std::vector<Level>{plainLevel(4)});
  for (const char* name : {"good.txt", "big.txt", "picture.png"}) {
    std::remove((base + "/" + name).c_str());
  }
  rmdir(folder);
}

TEST(LevelLink, RoundTripsAndStaysShort) {
  const std::vector<Level> builtIn = builtInLevels();
  std::vector<Level> shipped;
  LevelProblem problem;
  ASSERT_TRUE(readLevels(fileText(EGGQUEST_LEVELS_DIR "/uphill-downhill.txt"), shipped, problem));
  // Each code differing from the one before it: the longest link 20 levels can give.
  Level busiest{};
  for (int cell = 0; cell < kMapSize * kMapSize; ++cell) {
    busiest[cell / kMapSize][cell % kMapSize] = cell % kTileCodes;
  }
  const std::vector<Level> longest(kMaxLevels, busiest);
  for (const auto& [levels, longestLink] :
       {std::pair(builtIn, 200u), std::pair(shipped, 3 * 200u), std::pair(longest, 10700u)}) {
    const std::string link = encodeLevelLink(levels);
    EXPECT_LE(link.size(), longestLink);
    EXPECT_EQ(link.find_first_not_of("0123456789.ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstu"
                                     "vwxyz-_"),
              std::string::npos);
    std::vector<Level> decoded;
    std::string linkProblem;
    EXPECT_TRUE(decodeLevelLink(link, decoded, linkProblem)) << linkProblem;
    EXPECT_EQ(decoded, levels);
  }
  EXPECT_EQ(encodeLevelLink(builtIn).substr(0, 2), "1.");
}

// A link shared today opens in every later version: the encoding of a set never changes.
TEST(LevelLink, ASharedLinkKeepsItsLevels) {
  std::vector<Level> shipped;
  std::string problem;
  ASSERT_TRUE(loadLevelFile(EGGQUEST_LEVELS_DIR "/uphill-downhill.txt", shipped, problem));
  const std::string shared = fileText(EGGQUEST_FIXTURES_DIR "/uphill-downhill.link");
  EXPECT_EQ(encodeLevelLink(shipped), shared);
  std::vector<Level> opened;
  EXPECT_TRUE(decodeLevelLink(shared, opened, problem)) << problem;
  EXPECT_EQ(opened, shipped);
}

std::string linkProblem(const std::string& link) {
  std::vector<Level> levels{plainLevel(3)};
  std::string problem;
  if (decodeLevelLink(link, levels, problem)) {
    return "decoded";
  }
  EXPECT_EQ(levels, std::vector<Level>{plainLevel(3)}) << "a refused link changed the levels";
  return problem;
}

TEST(LevelLink, EveryKindOfDamageIsRefusedAndSaysSo) {
  const std::string link = encodeLevelLink(builtInLevels());
  // Cut anywhere, or any one character changed: never a level set, never a crash.
  for (std::size_t length = 0; length < link.size(); ++length) {
    EXPECT_NE(linkProblem(link.substr(0, length)), "decoded") << length;
  }
  const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.%+/= \n";
  for (std::size_t at = 2; at < link.size(); ++at) {
    for (const char replacement : alphabet) {
      if (replacement == link[at]) {
        continue;
      }
      std::string damaged = link;
      damaged[at] = replacement;
      const std::string problem = linkProblem(damaged);
      EXPECT_TRUE(problem.rfind("the link is damaged", 0) == 0 ||
                  problem.rfind("the link's levels cannot be played", 0) == 0)
          << damaged << ": " << problem;
    }
  }
  const std::pair<std::string, std::string> cases[] = {
      {"", "the link is damaged: it does not start with the version of its levels"},
      {"hello", "the link is damaged: it does not start with the version of its levels"},
      {".AAAA", "the link is damaged: it does not start with the version of its levels"},
      {"99999999.AAAA", "the link is damaged: it does not start with the version of its levels"},
      {"2." + link.substr(2),
       "the link was made by another version of eggquest (levels version 2); this one reads "
       "version 1"},
      {"1." + link.substr(2) + "%20",
       "the link is damaged: it holds a character that no level link has"},
      {"1." + link.substr(2, link.size() - 4),
       "the link is damaged or incomplete: its check does not match its levels"},
      {"1." + std::string(1024 * 1024, 'A'), "the link is too long to hold levels"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(linkProblem(text), expected);
  }
}

// Links are checked as files are: a link that adds up but holds a level without an egg is
// refused with the file's words.
TEST(LevelLink, LevelsFromALinkFollowTheFileRules) {
  Level noEgg = plainLevel(3);
  noEgg[kMapSize - 3][3] = 2;
  EXPECT_EQ(linkProblem(encodeLevelLink({plainLevel(2), noEgg})),
            "the link's levels cannot be played: no egg in level 2");
  EXPECT_EQ(linkProblem(encodeLevelLink(std::vector<Level>(kMaxLevels + 1, plainLevel(2)))),
            "the link is damaged or incomplete: its levels do not add up");
}

// Frames as the game runs them, keys from a script, until the game ends or the script runs out:
// the world at the end, and the frame it ended in (-1 when it did not).
World playScript(const std::string& scriptPath, std::shared_ptr<const LevelSet> levels,
                 int& endFrame) {
  KeyScript script;
  std::string error;
  EXPECT_TRUE(loadKeyScript(scriptPath, script, error)) << error;
  World world = startWorld(std::move(levels));
  endFrame = -1;
  for (int frame = 0; frame <= lastScriptedFrame(script); ++frame) {
    updatePhysics(world);
    if (world.quitRequested != 0 ||
        handleInput(world, heldKeysAt(script, frame), scriptedMsAt(frame)) != 0) {
      endFrame = frame;
      break;
    }
  }
  return world;
}

// Walks to each level's egg and hops onto it; returns the levels seen, frame by frame, and
// whether the game ended.
std::vector<int> hopToEachEgg(const std::vector<int>& eggColumns, bool& ended) {
  auto levels = std::make_shared<LevelSet>();
  for (const int column : eggColumns) {
    levels->push_back(plainLevel(column));
  }
  World world = startWorld(levels);
  std::vector<int> levelsSeen;
  for (int frame = 0; frame < 1000 && world.quitRequested == 0; ++frame) {
    updatePhysics(world);
    if (levelsSeen.empty() || levelsSeen.back() != world.currentLevel) {
      levelsSeen.push_back(world.currentLevel);
    }
    const float target = static_cast<float>(eggColumns[world.currentLevel - 1]) + 0.4f;
    HeldKeys keys;
    keys.right = world.characterX < target - 0.15f;
    keys.left = world.characterX > target + 0.15f;
    keys.up = world.onGround && !keys.right && !keys.left;
    handleInput(world, keys, scriptedMsAt(frame));
  }
  ended = world.quitRequested != 0;
  return levelsSeen;
}

TEST(LevelSet, EachEggLeadsOnAndTheLastOneEndsTheGame) {
  bool ended = false;
  EXPECT_EQ(hopToEachEgg({12, 5, 15, 0}, ended), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(ended);
  EXPECT_EQ(hopToEachEgg({8}, ended), (std::vector<int>{1}));
  EXPECT_TRUE(ended);
  // An egg under the same cell in the next level leads on again in the same step.
  EXPECT_EQ(hopToEachEgg({12, 12, 3}, ended), (std::vector<int>{1, 3}));
  EXPECT_TRUE(ended);
}

TEST(LevelSet, TheShippedLevelsAreWonByTheirScripts) {
  auto levels = std::make_shared<LevelSet>();
  std::string problem;
  ASSERT_TRUE(loadLevelFile(EGGQUEST_LEVELS_DIR "/uphill-downhill.txt", *levels, problem))
      << problem;
  int endFrame = 0;
  const World end = playScript(EGGQUEST_REPLAYS_DIR "/uphill-downhill.keys", levels, endFrame);
  EXPECT_EQ(end.quitRequested, 1);
  EXPECT_EQ(end.currentLevel, 3);
  EXPECT_EQ(endFrame, 554);  // the egg, before the script's closing Escape, as the replay says
}

}  // namespace
