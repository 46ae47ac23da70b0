// The effects' file format: RIFF/WAVE, uncompressed PCM, 44,100 Hz, 16-bit, mono.
#pragma once

#include <cstdint>
#include <vector>

namespace talvessa::sfx {

// A 44-byte header (RIFF, "fmt " and "data" chunks) followed by the samples, little-endian.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples);

}  // namespace talvessa::sfx
