// The tune synthesised once, whole, into memory by FluidSynth: two passes rendered and the second kept,
// so that each loop starts with the last notes and echoes of the one before. FluidSynth is loaded by the
// first render, not at start-up: the first picture does not wait for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace talvessa {

struct RenderedTune {
  // One loop is signed 16-bit stereo at kRate frames a second, of at most kLongestSeconds (30 MB).
  static constexpr int kRate = 44100;
  static constexpr int kLongestSeconds = 180;
  // The mix's ceiling for the tune (see platform/audio.h): a render louder than this in its loudest
  // second or its highest peak is scaled down until it is not. The game's own tune stays below both.
  static constexpr double kLoudestSecondDbfs = -24.0;
  static constexpr double kPeakDbfs = -8.0;
};

// `midi` rendered with the bank `soundFont` at the synthesiser's `gain`; null when the synthesiser or
// the bank is missing, the tune makes no sound, or `stop` is set meanwhile.
std::shared_ptr<const std::vector<std::int16_t>> RenderTune(std::span<const std::uint8_t> midi,
                                                            const std::string& soundFont, float gain,
                                                            const std::atomic<bool>& stop);

}  // namespace talvessa
