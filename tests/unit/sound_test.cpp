// Which sounds frames call for, and the sound maker's descriptions, samples and WAV bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sound/sound_cues.h"
#include "sound/sound_maker.h"
#include "world/world.h"

namespace {

constexpr unsigned kNone = 0, kJump = 1u << kJumpSound, kLevel = 1u << kLevelSound,
                   kGoal = 1u << kGoalSound;

// How a game stands between two frames: on, ended by Escape or a closed window, or at the egg.
enum End { kOn, kQuit, kAtEgg };

// The world between two frames, as much of it as the cues read.
struct Moment {
  int level;
  float x;
  float y;
  float velocityY;
  End end;
};

World worldAt(const Moment& moment) {
  World world = startWorld();
  world.currentLevel = moment.level;
  world.characterX = moment.x;
  world.characterY = moment.y;
  world.velocityY = moment.velocityY;
  world.quitRequested = moment.end != kOn ? 1 : 0;
  world.goalReached = moment.end == kAtEgg;
  return world;
}

// Sequences of moments between frames (level, x, y, speed, end), each with the sounds the frame
// that led to it calls for.
TEST(SoundCues, FromMomentToMoment) {
  using Step = std::pair<Moment, unsigned>;
  const std::vector<std::vector<Step>> sequences = {
      // Up on the ground: the jump, then the rise, the fall and a landing without Up.
      {{{1, 10, 17.9f, 0, kOn}, kNone},
       {{1, 10, 17.42f, -0.5f, kOn}, kJump},
       {{1, 10, 16.94f, -0.48f, kOn}, kNone},
       {{1, 10, 17.5f, 0.46f, kOn}, kNone},
       {{1, 10, 17.4f, 0, kOn}, kNone}},
      // Up held: falling, then landing and jumping again in one frame, twice.
      {{{1, 10, 17.5f, 0.48f, kOn}, kNone},
       {{1, 10, 17.0f, -0.5f, kOn}, kJump},
       {{1, 10, 17.5f, 0.5f, kOn}, kNone},
       {{1, 10, 17.0f, -0.5f, kOn}, kJump}},
      // The first egg: the level changes, once; a jump in that very frame sounds too.
      {{{1, 6.5f, 9.5f, 0.3f, kOn}, kNone},
       {{2, 6.5f, 9.8f, 0.32f, kOn}, kLevel},
       {{2, 6.5f, 10.1f, 0.34f, kOn}, kNone}},
      {{{1, 6.5f, 9.5f, 0, kOn}, kNone}, {{2, 6.5f, 9.02f, -0.5f, kOn}, kJump | kLevel}},
      // The last egg ends the game.
      {{{2, 18.3f, 15.5f, -0.3f, kOn}, kNone}, {{2, 18.3f, 15.2f, -0.28f, kAtEgg}, kGoal}},
      // Escape or a closed window ends it elsewhere: no sound; nor does "Play again".
      {{{2, 12, 17.4f, 0, kOn}, kNone},
       {{2, 12, 17.4f, 0, kQuit}, kNone},
       {{1, kStartX, kStartY + 0.02f, 0.02f, kOn}, kNone}},
      // Far down level 2's shaft, and the landing past the bottom row that puts it at the top.
      {{{2, 15.2f, 1e6f, 50, kOn}, kNone}, {{2, 15.2f, 1e6f + 50, 50.02f, kOn}, kNone}},
      {{{1, 3, 17.5f, 2, kOn}, kNone}, {{1, 3, 0, 0, kOn}, kNone}},
  };
  for (std::size_t s = 0; s < sequences.size(); ++s) {
    for (std::size_t i = 1; i < sequences[s].size(); ++i) {
      EXPECT_EQ(soundCues(worldAt(sequences[s][i - 1].first), worldAt(sequences[s][i].first)),
                sequences[s][i].second)
          << "sequence " << s << ", step " << i;
    }
  }
}

SoundDescription describe(const std::string& text) {
  SoundDescription sound;
  char error[kSoundErrorSize];
  EXPECT_TRUE(parseSoundDescription(text.c_str(), sound, error)) << error;
  return sound;
}

// The game's own effects: as long as described, as loud as described and no louder, the same
// samples every time, and WAV bytes that hold exactly them after the header. (SDL_mixer reads
// the header in the real game's sound test.)
TEST(SoundMaker, TheGamesEffectsAreTheirDescriptions) {
  for (const char* name : kSoundNames) {
    std::ifstream file(std::string(EGGQUEST_ART_DIR) + "/sounds/" + name + ".sfx");
    std::ostringstream text;
    text << file.rdbuf();
    const SoundDescription sound = describe(text.str());
    const std::vector<std::int16_t> samples = makeSamples(sound);
    EXPECT_EQ(samples.size(), static_cast<std::size_t>(sound.length * kSampleRate + 0.5)) << name;
    int loudest = 0;
    for (std::int16_t sample : samples) {
      loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    }
    EXPECT_GT(loudest, 0.9 * sound.volume * 32767) << name;
    EXPECT_LE(loudest, sound.volume * 32767 + 1) << name;
    EXPECT_EQ(makeSamples(sound), samples) << name;
    const std::vector<std::uint8_t> wav = wavBytes(samples);
    ASSERT_EQ(wav.size(), kWavHeaderBytes + 2 * samples.size()) << name;
    EXPECT_EQ(std::memcmp(wav.data() + kWavHeaderBytes, samples.data(), 2 * samples.size()), 0)
        << name << ": the data is not the samples, little-endian";
  }
}

// Every field of a description shapes the samples: each changed alone from a plain 400 Hz square
// wave of half a second, its effect measured in tenths of a second (zero crossings for the
// pitch, the loudest sample for the volume).
TEST(SoundMaker, EveryFieldShapesTheSamples) {
  const std::string plain =
      "wave = square\nfrequency = 400\nslide = 0\nnotes = 1\nlength = 0.5\nattack = 0\n"
      "release = 0\nvolume = 0.5\n";
  const auto with = [&](const std::string& field, const std::string& value) {
    std::string text = plain;
    const std::size_t at = text.find(field + " = ");
    text.replace(at, text.find('\n', at) - at, field + " = " + value);
    return makeSamples(describe(text));
  };
  constexpr std::size_t kTenth = kSampleRate / 10;
  const auto crossings = [](const std::vector<std::int16_t>& samples, std::size_t tenth) {
    int count = 0;
    for (std::size_t i = tenth * kTenth + 1; i < (tenth + 1) * kTenth && i < samples.size(); ++i) {
      count += (samples[i - 1] < 0) != (samples[i] < 0);
    }
    return count;
  };
  const auto loudest = [](const std::vector<std::int16_t>& samples, std::size_t tenth) {
    int peak = 0;
    for (std::size_t i = tenth * kTenth; i < (tenth + 1) * kTenth && i < samples.size(); ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    return peak;
  };
  const std::vector<std::int16_t> base = makeSamples(describe(plain));
  EXPECT_NEAR(crossings(base, 0), 80, 2);  // 400 Hz: 80 crossings a tenth, first to last
  EXPECT_NEAR(crossings(base, 4), 80, 2);
  EXPECT_NEAR(crossings(with("frequency", "800"), 2), 160, 2);
  // 800 Hz a second: from 400 Hz to about 760 Hz in the last tenth.
  const auto slid = with("slide", "800");
  EXPECT_NEAR(crossings(slid, 0), 88, 4);
  EXPECT_NEAR(crossings(slid, 4), 152, 6);
  const auto notes = with("notes", "1 2");  // an octave up for the second half
  EXPECT_NEAR(crossings(notes, 1), 80, 2);
  EXPECT_NEAR(crossings(notes, 3), 160, 2);
  EXPECT_NEAR(static_cast<double>(with("length", "0.25").size()), base.size() / 2.0, 1);
  EXPECT_NEAR(loudest(with("volume", "0.25"), 2), loudest(base, 2) / 2, 2);
  EXPECT_LT(loudest(with("attack", "0.3"), 0), loudest(base, 0) / 2);   // still rising
  EXPECT_LT(loudest(with("release", "0.3"), 4), loudest(base, 4) / 2);  // already falling
  const auto sine = with("wave", "sine");
  EXPECT_NE(sine, base);
  EXPECT_NEAR(crossings(sine, 2), 80, 2);
}

// Every waveform at its pitch, 200 Hz: a tone crosses zero twice a cycle; noise takes a new value
// once a cycle, which has the other sign about every other time.
TEST(SoundMaker, WaveformsHaveTheirPitch) {
  for (const char* wave : {"square", "triangle", "sawtooth", "sine", "noise"}) {
    SoundDescription sound;
    char error[kSoundErrorSize];
    const std::string text = std::string("wave = ") + wave +
                             "\nfrequency = 200\nslide = 0\nnotes = 1\nlength = 1\nattack = 0\n"
                             "release = 0\nvolume = 0.5\n";
    ASSERT_TRUE(parseSoundDescription(text.c_str(), sound, error)) << error;
    const std::vector<std::int16_t> samples = makeSamples(sound);
    int count = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
      count += (samples[i - 1] < 0) != (samples[i] < 0);
    }
    const bool noise = std::strcmp(wave, "noise") == 0;
    EXPECT_NEAR(count, noise ? 100 : 400, noise ? 30 : 5) << wave;
  }
}

// A description that is wrong is refused, with the field and the fault.
TEST(SoundMaker, FaultyDescriptionsNameTheField) {
  const std::string good =
      "wave = square\nfrequency = 280\nslide = 2400\nnotes = 1 1.5\nlength = 0.12\n"
      "attack = 0.004\nrelease = 0.07  # a comment\nvolume = 0.25\n";
  SoundDescription sound;
  char error[kSoundErrorSize];
  ASSERT_TRUE(parseSoundDescription(good.c_str(), sound, error)) << error;
  EXPECT_EQ(std::vector<double>(sound.notes, sound.notes + sound.noteCount),
            (std::vector<double>{1, 1.5}));
  EXPECT_EQ(sound.release, 0.07);
  const std::pair<std::pair<const char*, const char*>, const char*> faults[] = {
      {{"volume = 0.25\n", ""}, "field 'volume' is missing"},
      {{"wave = square", "wave = organ"},
       "field 'wave' is 'organ', not square, triangle, sawtooth, sine or noise"},
      {{"frequency = 280", "frequency = 9000"}, "field 'frequency' is 9000, not within 20 to 8000"},
      {{"frequency = 280", "frequency = 2.8e2"}, "field 'frequency': '2.8e2' is not a number"},
      {{"notes = 1 1.5", "notes = 1 1 1 1 1 1 1 1 1"},
       "field 'notes' has 9 pitch ratios, not 1 to 8"},
      {{"attack = 0.004", "attack = 0.1"},
       "fields 'attack' and 'release' together are longer than 'length'"},
      {{"slide = 2400", "slide = -20000"}, "field 'slide' takes the pitch out of 20 to 10000 Hz"},
      {{"slide = 2400", "duty = 0.5"}, "unknown field 'duty'"},
      {{"slide = 2400", "slide 2400"}, "line 3: 'slide 2400' is not 'field = value'"},
  };
  for (const auto& [change, message] : faults) {
    std::string text = good;
    text.replace(text.find(change.first), std::strlen(change.first), change.second);
    EXPECT_FALSE(parseSoundDescription(text.c_str(), sound, error)) << message;
    EXPECT_STREQ(error, message);
  }
}

}  // namespace
