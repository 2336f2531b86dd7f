// Key scripts, and the playthrough they drive, stepped through the rules without a window.
#include <gtest/gtest.h>

#include <sstream>

#include "simulate.h"
#include "world/world.h"

namespace {

KeyScript scriptFrom(const std::string& text) {
  std::istringstream in(text);
  KeyScript script;
  std::string error;
  EXPECT_TRUE(parseKeyScript(in, script, error)) << error;
  return script;
}

std::string faultIn(const std::string& text) {
  std::istringstream in(text);
  KeyScript script;
  std::string error;
  EXPECT_FALSE(parseKeyScript(in, script, error)) << text;
  return error;
}

TEST(KeyScript, HoldsTheKeysOfEveryRangeThatCoversAFrame) {
  const KeyScript script = scriptFrom(
      "# a comment\n"
      "\n"
      "3-5 Left Up   # two keys\n"
      "5 Right\n");
  Uint8 keys[SDLK_LAST];
  heldKeysAt(script, 2, keys);
  EXPECT_FALSE(keys[SDLK_LEFT]);
  heldKeysAt(script, 3, keys);
  EXPECT_TRUE(keys[SDLK_LEFT] && keys[SDLK_UP] && !keys[SDLK_RIGHT]);
  heldKeysAt(script, 5, keys);
  EXPECT_TRUE(keys[SDLK_LEFT] && keys[SDLK_UP] && keys[SDLK_RIGHT]);
  heldKeysAt(script, 6, keys);
  EXPECT_FALSE(keys[SDLK_LEFT] || keys[SDLK_UP] || keys[SDLK_RIGHT] || keys[SDLK_ESCAPE]);
}

TEST(KeyScript, NamesTheLineOfAMalformedRange) {
  EXPECT_EQ(faultIn("1 Left\n2 Down\n"), "line 2: unknown key 'Down' (Left, Right, Up, Escape)");
  EXPECT_EQ(faultIn("9-3 Left\n"), "line 1: '9-3' is not FIRST or FIRST-LAST");
  EXPECT_EQ(faultIn("4x Up\n"), "line 1: '4x' is not FIRST or FIRST-LAST");
  EXPECT_EQ(faultIn("\n\n7\n"), "line 3: no key after the frames");
}

TEST(Playthrough, ReachesBothEggsAtThePredictedFrames) {
  KeyScript script;
  std::string error;
  ASSERT_TRUE(loadKeyScript(PLAYTHROUGH_KEYS, script, error)) << error;
  const Simulation run = simulate(script);

  // The drop onto the first egg: corner in row 9, column 6 at the start of frame 120.
  ASSERT_EQ(run.levelTwoFrame, 121);
  const TraceLine& switching = run.trace[120];
  EXPECT_EQ(switching.level, 1);
  EXPECT_EQ(cellIndex(switching.x), 6);
  EXPECT_EQ(cellIndex(switching.y), 9);

  // The jump over the shaft comes down onto the second egg: row 15, column 18.
  ASSERT_EQ(run.endFrame, 245);
  const TraceLine& ending = run.trace.back();
  EXPECT_EQ(ending.level, 2);
  EXPECT_EQ(cellIndex(ending.x), 18);
  EXPECT_EQ(cellIndex(ending.y), 15);
}

}  // namespace
