// Finds the sounds in what SDL's disk audio driver recorded and checks them against the effects
// expected and the moments they belong to:
//   sound_bursts FILE [--peak-below SHARE] [--effects DIR NAME@SECONDS...]
// Each NAME@SECONDS is an effect (DIR/NAME.wav) that must begin that many seconds into the sound
// the game mixed, in order; one written ?NAME@SECONDS may sound or not (the second egg's, cut off
// by the game's end). Without them the recording must be silent, or absent. SDL may convert the
// game's format, so the recording's rate is the usual one at which every sound lasts as long as
// its effect's file. Exit status 0 when all holds; otherwise 1, with what differs on standard
// output.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr double kHeard = 0.002;          // of full scale: quieter is silence (or resampler ripple)
constexpr std::size_t kGapFrames = 1000;  // this much silence separates two sounds
constexpr double kUsualRates[] = {11025, 22050, 32000, 44100, 48000, 96000};
constexpr double kLengthTolerance = 0.01;  // seconds: the faint ends of the envelopes, resampling
constexpr double kMomentTolerance = 0.06;  // seconds: the mixer's chunks, SDL's conversion
constexpr std::size_t kWavByteRateOffset = 28;
constexpr std::size_t kWavDataSizeOffset = 40;
// Real float samples are silence or at least this loud; 16-bit pairs read as floats are tinier.
constexpr float kQuietestFloat = 1e-9f;

struct Expected {
  std::string name;
  double seconds;
  bool optional;
  double length;  // seconds, from the effect's file
};

struct Burst {
  std::size_t start;
  std::size_t end;
};

std::vector<char> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The samples of the first channel as shares of full scale. SDL writes 16-bit integers or 32-bit
// floats, one or two channels; the game's sound is mono, so two channels are always equal.
std::vector<double> readRecording(const std::vector<char>& bytes, std::string& format) {
  const std::size_t words = bytes.size() / 4;
  bool floats = bytes.size() % 4 == 0 && words > 0;
  for (std::size_t i = 0; i < words && floats; ++i) {
    float value;
    std::memcpy(&value, &bytes[i * 4], 4);
    floats = std::isfinite(value) && std::fabs(value) <= 2 &&
             (value == 0 || std::fabs(value) >= kQuietestFloat);
  }
  std::vector<double> samples;
  for (std::size_t i = 0; i + (floats ? 3 : 1) < bytes.size(); i += floats ? 4 : 2) {
    if (floats) {
      float value;
      std::memcpy(&value, &bytes[i], 4);
      samples.push_back(value);
    } else {
      std::int16_t value;
      std::memcpy(&value, &bytes[i], 2);
      samples.push_back(value / 32768.0);
    }
  }
  bool pairs = samples.size() % 2 == 0;
  for (std::size_t i = 0; i + 1 < samples.size() && pairs; i += 2) {
    pairs = samples[i] == samples[i + 1];
  }
  format =
      std::string(floats ? "32-bit float" : "16-bit") + (pairs ? ", 2 channels" : ", 1 channel");
  if (!pairs) {
    return samples;
  }
  std::vector<double> mono;
  for (std::size_t i = 0; i < samples.size(); i += 2) {
    mono.push_back(samples[i]);
  }
  return mono;
}

std::vector<Burst> findBursts(const std::vector<double>& samples, double& peak) {
  std::vector<Burst> bursts;
  peak = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double level = std::fabs(samples[i]);
    peak = level > peak ? level : peak;
    if (level < kHeard) {
      continue;
    }
    if (bursts.empty() || i - bursts.back().end > kGapFrames) {
      bursts.push_back({i, i});
    }
    bursts.back().end = i;
  }
  return bursts;
}

double burstSeconds(const Burst& burst, double rate) {
  return static_cast<double>(burst.end + 1 - burst.start) / rate;
}

// The usual rate at which every burst lasts as long as its effect; 0 if there is none.
double findRate(const std::vector<Burst>& bursts, const std::vector<Expected>& effects) {
  for (double rate : kUsualRates) {
    bool fits = true;
    for (std::size_t i = 0; i < bursts.size() && fits; ++i) {
      fits = std::fabs(burstSeconds(bursts[i], rate) - effects[i].length) < kLengthTolerance;
    }
    if (fits) {
      return rate;
    }
  }
  return 0;
}

int fail(const std::string& what, const std::vector<Burst>& bursts, const std::string& format) {
  std::printf("%s; the recording (%s) has sounds at frames", what.c_str(), format.c_str());
  for (const Burst& burst : bursts) {
    std::printf(" %zu-%zu", burst.start, burst.end);
  }
  std::printf("\n");
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: sound_bursts FILE [--peak-below SHARE] [--effects DIR NAME@SECONDS...]\n");
    return 2;
  }
  double peakLimit = 1;
  std::string effectsFolder;
  std::vector<Expected> expected;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--peak-below" && i + 1 < argc) {
      peakLimit = std::atof(argv[++i]);
    } else if (arg == "--effects" && i + 1 < argc) {
      effectsFolder = argv[++i];
    } else {
      const bool optional = arg[0] == '?';
      const std::size_t at = arg.find('@');
      const std::string name = arg.substr(optional ? 1 : 0, at - (optional ? 1 : 0));
      const std::vector<char> wav = readFile(effectsFolder + "/" + name + ".wav");
      if (at == std::string::npos || wav.size() < kWavDataSizeOffset + 4) {
        std::fprintf(stderr, "sound_bursts: '%s' is no NAME@SECONDS of an effect in '%s'\n",
                     arg.c_str(), effectsFolder.c_str());
        return 2;
      }
      std::uint32_t bytesPerSecond = 0;
      std::uint32_t dataBytes = 0;
      std::memcpy(&bytesPerSecond, &wav[kWavByteRateOffset], 4);
      std::memcpy(&dataBytes, &wav[kWavDataSizeOffset], 4);
      expected.push_back({name, std::atof(arg.c_str() + at + 1), optional,
                          static_cast<double>(dataBytes) / bytesPerSecond});
    }
  }
  std::string format;
  const std::vector<double> samples = readRecording(readFile(argv[1]), format);
  double peak = 0;
  std::vector<Burst> bursts = findBursts(samples, peak);
  if (peak >= peakLimit) {
    return fail("the loudest sample is " + std::to_string(peak) + " of full scale, not below " +
                    std::to_string(peakLimit),
                bursts, format);
  }
  std::vector<Expected> required;
  for (const Expected& effect : expected) {
    if (!effect.optional) {
      required.push_back(effect);
    }
  }
  // An optional sound comes last only: the one the game's end cuts short.
  if (!expected.empty() && expected.back().optional && bursts.size() == required.size() + 1) {
    bursts.pop_back();
  }
  if (bursts.size() != required.size()) {
    return fail(std::to_string(required.size()) + " sounds expected", bursts, format);
  }
  if (required.empty()) {
    std::printf("silent (%s)\n", format.c_str());
    return 0;
  }
  const double rate = findRate(bursts, required);
  if (rate == 0) {
    return fail("the sounds do not last as long as the effects expected", bursts, format);
  }
  for (std::size_t i = 1; i < required.size(); ++i) {
    const double found = static_cast<double>(bursts[i].start - bursts[0].start) / rate;
    const double due = required[i].seconds - required[0].seconds;
    if (std::fabs(found - due) > kMomentTolerance) {
      return fail("sound " + std::to_string(i + 1) + " (" + required[i].name + ") begins " +
                      std::to_string(found) + " s after the first, not " + std::to_string(due),
                  bursts, format);
    }
  }
  std::printf("%zu sounds, each its effect at its moment (%s, %.0f a second, loudest %.3f)\n",
              required.size(), format.c_str(), rate, peak);
  return 0;
}
