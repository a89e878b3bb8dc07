// The rifle shot: a synthesised report written as a RIFF WAVE file.
#pragma once

#include <cstdint>
#include <vector>

#include "bmp_writer.h"

namespace datagen {

constexpr int kSampleRate = 44100;

// Half a second of 16-bit mono at kSampleRate: a supersonic crack, the low
// thump of the muzzle blast, and the room's decaying answer. Peaks just
// under full scale and fades to silence at the last sample.
std::vector<std::int16_t> SynthesiseRifleShot();

// A canonical 44-byte-header PCM WAVE file: "fmt " of 16 bytes, then "data".
Bytes EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

}  // namespace datagen
