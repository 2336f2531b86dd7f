// Reads a sound effect's description and makes its samples and its WAV file's bytes.
#include "sound/sound_maker.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr double kLowestPitch = 20;      // Hz: below this it is a rattle, not a tone
constexpr double kHighestPitch = 10000;  // Hz: below half the sample rate, so it does not fold
constexpr double kFullScale = 32767;
constexpr std::uint32_t kNoiseSeed = 0x2545F491u;
constexpr int kMostDigits = 15;  // a double holds every integer of 15 digits exactly

struct Range {
  double lowest;
  double highest;
};

// The fields in the order a description lists them; wave and notes are read apart.
enum Field { kWave, kFrequency, kSlide, kNotes, kLength, kAttack, kRelease, kVolume, kFields };
const char* const kFieldNames[kFields] = {"wave",   "frequency", "slide",   "notes",
                                          "length", "attack",    "release", "volume"};
double SoundDescription::*const kNumbers[kFields] = {
    nullptr,
    &SoundDescription::frequency,
    &SoundDescription::slide,
    nullptr,
    &SoundDescription::length,
    &SoundDescription::attack,
    &SoundDescription::release,
    &SoundDescription::volume,
};
const Range kRanges[kFields] = {
    {0, 0}, {kLowestPitch, 8000}, {-20000, 20000}, {0.25, 4}, {0.01, 2}, {0, 2}, {0, 2}, {0.01, 1},
};

const char* const kWaveNames[] = {"square", "triangle", "sawtooth", "sine", "noise"};

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// A piece of the description's text, [begin, end).
struct Text {
  const char* begin;
  const char* end;

  Text trimmed() const {
    Text text = *this;
    while (text.begin < text.end && blank(*text.begin)) {
      ++text.begin;
    }
    while (text.end > text.begin && blank(text.end[-1])) {
      --text.end;
    }
    return text;
  }
  int size() const { return static_cast<int>(end - begin); }
  bool is(const char* word) const {
    return std::strlen(word) == static_cast<std::size_t>(size()) &&
           std::strncmp(begin, word, static_cast<std::size_t>(size())) == 0;
  }
};

// A plain decimal such as -12.5, read exactly as a correctly rounding strtod would, without the
// locale or the size of strtod.
bool parseDecimal(Text text, double& value) {
  const bool negative = text.begin < text.end && *text.begin == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  bool point = false;
  for (const char* c = text.begin + (negative ? 1 : 0); c < text.end; ++c) {
    if (*c == '.' && !point) {
      point = true;
    } else if (*c >= '0' && *c <= '9' && digits < kMostDigits) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*c - '0');
      digits += 1;
      fractionDigits += point ? 1 : 0;
    } else {
      return false;
    }
  }
  double scale = 1;
  for (int d = 0; d < fractionDigits; ++d) {
    scale *= 10;
  }
  value = static_cast<double>(mantissa) / scale;
  value = negative ? -value : value;
  return digits > 0;
}

// One number of a field, checked against the field's range.
bool parseNumber(Field field, Text text, double& value, char* error) {
  if (!parseDecimal(text, value)) {
    std::snprintf(error, kSoundErrorSize, "field '%s': '%.*s' is not a number", kFieldNames[field],
                  text.size(), text.begin);
    return false;
  }
  if (value < kRanges[field].lowest || value > kRanges[field].highest) {
    std::snprintf(error, kSoundErrorSize, "field '%s' is %.*s, not within %g to %g",
                  kFieldNames[field], text.size(), text.begin, kRanges[field].lowest,
                  kRanges[field].highest);
    return false;
  }
  return true;
}

bool parseNotes(Text value, SoundDescription& sound, char* error) {
  int count = 0;
  const char* word = value.begin;
  while (word < value.end) {
    const char* wordEnd = word;
    while (wordEnd < value.end && !blank(*wordEnd)) {
      ++wordEnd;
    }
    double ratio = 0;
    if (!parseNumber(kNotes, {word, wordEnd}, ratio, error)) {
      return false;
    }
    if (count < kMostNotes) {
      sound.notes[count] = ratio;
    }
    count += 1;
    word = Text{wordEnd, value.end}.trimmed().begin;
  }
  if (count < 1 || count > kMostNotes) {
    std::snprintf(error, kSoundErrorSize, "field 'notes' has %d pitch ratios, not 1 to %d", count,
                  kMostNotes);
    return false;
  }
  sound.noteCount = count;
  return true;
}

bool parseField(Field field, Text value, SoundDescription& sound, char* error) {
  if (field == kNotes) {
    return parseNotes(value, sound, error);
  }
  if (field != kWave) {
    return parseNumber(field, value, sound.*kNumbers[field], error);
  }
  for (std::size_t w = 0; w < sizeof kWaveNames / sizeof kWaveNames[0]; ++w) {
    if (value.is(kWaveNames[w])) {
      sound.wave = static_cast<Waveform>(w);
      return true;
    }
  }
  std::snprintf(error, kSoundErrorSize,
                "field 'wave' is '%.*s', not square, triangle, sawtooth, sine or noise",
                value.size(), value.begin);
  return false;
}

// What the fields say together: the envelope fits the length, the pitch stays audible and below
// the point where it would fold back.
bool checkTogether(const SoundDescription& sound, char* error) {
  if (sound.attack + sound.release > sound.length) {
    std::snprintf(error, kSoundErrorSize,
                  "fields 'attack' and 'release' together are longer than 'length'");
    return false;
  }
  double lowest = sound.frequency + (sound.slide < 0 ? sound.slide * sound.length : 0);
  double highest = sound.frequency + (sound.slide > 0 ? sound.slide * sound.length : 0);
  double lowestRatio = sound.notes[0];
  double highestRatio = sound.notes[0];
  for (int i = 1; i < sound.noteCount; ++i) {
    lowestRatio = sound.notes[i] < lowestRatio ? sound.notes[i] : lowestRatio;
    highestRatio = sound.notes[i] > highestRatio ? sound.notes[i] : highestRatio;
  }
  if (lowest * lowestRatio < kLowestPitch || highest * highestRatio > kHighestPitch) {
    std::snprintf(error, kSoundErrorSize, "field 'slide' takes the pitch out of %g to %g Hz",
                  kLowestPitch, kHighestPitch);
    return false;
  }
  return true;
}

// A sine of one turn's fraction, from two parabolas: within 0.001 of the real one, from
// arithmetic alone.
double sineOfTurn(double phase) {
  const double u = 2 * phase - 1;
  const double parabola = 4 * u * (1 - (u < 0 ? -u : u));
  const double magnitude = parabola < 0 ? -parabola : parabola;
  return -(0.225 * (parabola * magnitude - parabola) + parabola);  // sin(2 pi phase) = -sin(pi u)
}

double waveAt(Waveform wave, double phase, double noise) {
  switch (wave) {
    case Waveform::kSquare:
      return phase < 0.5 ? 1 : -1;
    case Waveform::kTriangle:
      return 4 * (phase < 0.5 ? phase : 1 - phase) - 1;
    case Waveform::kSawtooth:
      return 2 * phase - 1;
    case Waveform::kSine:
      return sineOfTurn(phase);
    case Waveform::kNoise:
      return noise;
  }
  return 0;
}

std::size_t sampleCount(double seconds) {
  return static_cast<std::size_t>(seconds * kSampleRate + 0.5);
}

void putLittleEndian(std::uint8_t*& at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) {
    *at++ = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

bool parseSoundDescription(const char* text, SoundDescription& sound, char* error) {
  sound = SoundDescription();
  bool given[kFields] = {};
  const char* lineStart = text;
  for (int line = 1; *lineStart != '\0'; ++line) {
    const char* lineEnd = std::strchr(lineStart, '\n');
    lineEnd = lineEnd != nullptr ? lineEnd : lineStart + std::strlen(lineStart);
    const char* comment = std::strchr(lineStart, '#');
    Text content =
        Text{lineStart, comment != nullptr && comment < lineEnd ? comment : lineEnd}.trimmed();
    lineStart = *lineEnd != '\0' ? lineEnd + 1 : lineEnd;
    if (content.size() == 0) {
      continue;
    }
    const char* equals = std::strchr(content.begin, '=');
    const Text name = Text{content.begin, equals != nullptr ? equals : content.end}.trimmed();
    if (equals == nullptr || equals >= content.end || name.size() == 0) {
      std::snprintf(error, kSoundErrorSize, "line %d: '%.*s' is not 'field = value'", line,
                    content.size(), content.begin);
      return false;
    }
    int field = 0;
    while (field < kFields && !name.is(kFieldNames[field])) {
      ++field;
    }
    if (field == kFields) {
      std::snprintf(error, kSoundErrorSize, "unknown field '%.*s'", name.size(), name.begin);
      return false;
    }
    if (given[field]) {
      std::snprintf(error, kSoundErrorSize, "field '%s' is given twice", kFieldNames[field]);
      return false;
    }
    given[field] = true;
    if (!parseField(static_cast<Field>(field), Text{equals + 1, content.end}.trimmed(), sound,
                    error)) {
      return false;
    }
  }
  for (int field = 0; field < kFields; ++field) {
    if (!given[field]) {
      std::snprintf(error, kSoundErrorSize, "field '%s' is missing", kFieldNames[field]);
      return false;
    }
  }
  return checkTogether(sound, error);
}

std::vector<std::int16_t> makeSamples(const SoundDescription& sound) {
  const std::size_t count = sampleCount(sound.length);
  const std::size_t attack = sampleCount(sound.attack);
  const std::size_t release = sampleCount(sound.release);
  std::vector<std::int16_t> samples(count);
  std::uint32_t noiseState = kNoiseSeed;
  double noise = 0;
  double phase = 0;  // the share of the current wave's cycle already played
  for (std::size_t i = 0; i < count; ++i) {
    double envelope = 1;
    if (i < attack) {
      envelope = static_cast<double>(i) / static_cast<double>(attack);
    }
    if (count - i <= release) {
      const double falling = static_cast<double>(count - i) / static_cast<double>(release);
      envelope = falling < envelope ? falling : envelope;
    }
    const double value = waveAt(sound.wave, phase, noise) * envelope * sound.volume * kFullScale;
    // Rounded to the nearest: the conversion truncates towards zero.
    samples[i] = static_cast<std::int16_t>(value < 0 ? value - 0.5 : value + 0.5);

    const double seconds = static_cast<double>(i) / kSampleRate;
    const double ratio = sound.notes[i * static_cast<std::size_t>(sound.noteCount) / count];
    phase += (sound.frequency + sound.slide * seconds) * ratio / kSampleRate;
    while (phase >= 1) {
      phase -= 1;
      // Noise takes a new value once a cycle, so its pitch colours it as it does a tone.
      noiseState ^= noiseState << 13;
      noiseState ^= noiseState >> 17;
      noiseState ^= noiseState << 5;
      noise = static_cast<double>(noiseState) / 2147483648.0 - 1;
    }
  }
  return samples;
}

std::vector<std::uint8_t> wavBytes(const std::vector<std::int16_t>& samples) {
  constexpr std::uint32_t kBytesPerSample = 2;
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
  std::vector<std::uint8_t> bytes(kWavHeaderBytes + dataBytes);
  std::uint8_t* at = bytes.data();
  const auto tag = [&at](const char* name) {
    std::memcpy(at, name, 4);
    at += 4;
  };
  tag("RIFF");
  putLittleEndian(at, static_cast<std::uint32_t>(kWavHeaderBytes) - 8 + dataBytes, 4);
  tag("WAVE");
  tag("fmt ");
  putLittleEndian(at, 16, 4);  // the size of the plain PCM format block
  putLittleEndian(at, 1, 2);   // PCM
  putLittleEndian(at, 1, 2);   // mono
  putLittleEndian(at, kSampleRate, 4);
  putLittleEndian(at, kSampleRate * kBytesPerSample, 4);
  putLittleEndian(at, kBytesPerSample, 2);
  putLittleEndian(at, 16, 2);  // bits per sample
  tag("data");
  putLittleEndian(at, dataBytes, 4);
  for (std::int16_t sample : samples) {
    putLittleEndian(at, static_cast<std::uint16_t>(sample), 2);
  }
  return bytes;
}
