// Sound effects from short text descriptions, in the manner of the sfxr-style generators: a
// waveform, a pitch that slides and steps through notes, a volume envelope and a length, made
// into 16-bit mono WAV bytes. No window, no SDL and no maths library: only + - * / and
// comparisons, so the desktop's build tool and the browser's game make the same bytes. Plain
// character arrays rather than strings and streams: the page downloads this code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 22050;  // samples a second: ample for short game effects
constexpr std::size_t kWavHeaderBytes = 44;
constexpr int kMostNotes = 8;
constexpr std::size_t kSoundErrorSize = 160;  // room for any of the parser's messages

enum class Waveform { kSquare, kTriangle, kSawtooth, kSine, kNoise };

struct SoundDescription {
  Waveform wave = Waveform::kSquare;
  double frequency = 0;           // Hz at the start, before the notes' ratios
  double slide = 0;               // Hz per second, added to the frequency as the sound plays
  double notes[kMostNotes] = {};  // pitch ratios played in turn, each for an equal share of time
  int noteCount = 0;
  double length = 0;   // seconds
  double attack = 0;   // seconds of rising volume at the start
  double release = 0;  // seconds of falling volume at the end
  double volume = 0;   // peak, as a share of full scale
};

// Reads a description (NUL-terminated): "field = value" lines, '#' starting a comment. Every
// field must be there once and within its range; otherwise false, with the field and the fault
// in error (kSoundErrorSize bytes).
bool parseSoundDescription(const char* text, SoundDescription& sound, char* error);

std::vector<std::int16_t> makeSamples(const SoundDescription& sound);

// A complete WAV file: the 44-byte PCM header, then the samples, little-endian.
std::vector<std::uint8_t> wavBytes(const std::vector<std::int16_t>& samples);
