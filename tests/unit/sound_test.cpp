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

// Sequences of moments between frames (level, x, y, speed, ended), each with the sounds the frame
// that led to it calls for.
TEST(SoundCues, FromMomentToMoment) {
  using Step = std::pair<GameMoment, unsigned>;
  const std::vector<std::vector<Step>> sequences = {
      // Up on the ground: the jump, then the rise, the fall and a landing without Up.
      {{{1, 10, 17.9f, 0, false}, kNone},
       {{1, 10, 17.42f, -0.5f, false}, kJump},
       {{1, 10, 16.94f, -0.48f, false}, kNone},
       {{1, 10, 17.5f, 0.46f, false}, kNone},
       {{1, 10, 17.4f, 0, false}, kNone}},
      // Up held: falling, then landing and jumping again in one frame, twice.
      {{{1, 10, 17.5f, 0.48f, false}, kNone},
       {{1, 10, 17.0f, -0.5f, false}, kJump},
       {{1, 10, 17.5f, 0.5f, false}, kNone},
       {{1, 10, 17.0f, -0.5f, false}, kJump}},
      // The first egg: the level changes, once; a jump in that very frame sounds too.
      {{{1, 6.5f, 9.5f, 0.3f, false}, kNone},
       {{2, 6.5f, 9.8f, 0.32f, false}, kLevel},
       {{2, 6.5f, 10.1f, 0.34f, false}, kNone}},
      {{{1, 6.5f, 9.5f, 0, false}, kNone}, {{2, 6.5f, 9.02f, -0.5f, false}, kJump | kLevel}},
      // The second egg ends the game: the egg is below the cell where the step began.
      {{{2, 18.3f, 15.5f, -0.3f, false}, kNone}, {{2, 18.3f, 15.2f, -0.28f, true}, kGoal}},
      // Escape or a closed window ends it elsewhere: no sound; nor does "Play again".
      {{{2, 12, 17.4f, 0, false}, kNone},
       {{2, 12, 17.4f, 0, true}, kNone},
       {{1, kStartX, kStartY + 0.02f, 0.02f, false}, kNone}},
      // Far down level 2's shaft, and the landing past the bottom row that puts it at the top.
      {{{2, 15.2f, 1e6f, 50, false}, kNone}, {{2, 15.2f, 1e6f + 50, 50.02f, false}, kNone}},
      {{{1, 3, 17.5f, 2, false}, kNone}, {{1, 3, 0, 0, false}, kNone}},
  };
  for (std::size_t s = 0; s < sequences.size(); ++s) {
    for (std::size_t i = 1; i < sequences[s].size(); ++i) {
      EXPECT_EQ(soundCues(sequences[s][i - 1].first, sequences[s][i].first), sequences[s][i].second)
          << "sequence " << s << ", step " << i;
    }
  }
}

std::string littleEndian(std::uint32_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) {
    text += static_cast<char>(value >> 8 * i & 0xFF);
  }
  return text;
}

// The game's own effects: a 16-bit mono PCM file at 22050 a second, as long as described, as
// loud as described and no louder, and the same bytes every time.
TEST(SoundMaker, TheGamesEffectsAreTheirDescriptions) {
  for (const char* name : kSoundNames) {
    SoundDescription sound;
    char error[kSoundErrorSize];
    std::ifstream file(std::string(EGGQUEST_ART_DIR) + "/sounds/" + name + ".sfx");
    std::ostringstream text;
    text << file.rdbuf();
    ASSERT_TRUE(parseSoundDescription(text.str().c_str(), sound, error)) << name << ": " << error;
    const std::vector<std::int16_t> samples = makeSamples(sound);
    EXPECT_EQ(samples.size(), static_cast<std::size_t>(sound.length * kSampleRate + 0.5)) << name;
    const auto dataBytes = static_cast<std::uint32_t>(2 * samples.size());
    // Format 1 (PCM), 1 channel, the rate, bytes a second, 2 bytes a sample, 16 bits.
    const std::string header = "RIFF" + littleEndian(36 + dataBytes, 4) + "WAVEfmt " +
                               littleEndian(16, 4) + littleEndian(1, 2) + littleEndian(1, 2) +
                               littleEndian(kSampleRate, 4) + littleEndian(2 * kSampleRate, 4) +
                               littleEndian(2, 2) + littleEndian(16, 2) + "data" +
                               littleEndian(dataBytes, 4);
    std::string data;
    int loudest = 0;
    for (std::int16_t sample : samples) {
      data += littleEndian(static_cast<std::uint16_t>(sample), 2);
      loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    }
    const std::vector<std::uint8_t> wav = wavBytes(samples);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + std::min(wav.size(), header.size())), header);
    EXPECT_TRUE(std::string(wav.begin(), wav.end()) == header + data) << name;
    EXPECT_GT(loudest, 0.9 * sound.volume * 32767) << name;
    EXPECT_LE(loudest, sound.volume * 32767 + 1) << name;
    EXPECT_EQ(makeSamples(sound), samples) << name;
  }
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
