// The tune synthesised once, whole, into memory by FluidSynth: two passes rendered and the second kept,
// so that each loop starts with the last notes and echoes of the one before. FluidSynth is loaded by the
// first render, not at start-up: the first picture does not wait for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace talvessa {

struct RenderedTune {
  // One loop is signed 16-bit stereo at kRate frames a second, of at most kLongestSeconds (30 MB).
  static constexpr int kRate = 44100;
  static constexpr int kLongestSeconds = 180;
};

// `midi` rendered with the bank `soundFont` at the synthesiser's `gain`, levelled to the mix's ceiling;
// null when the synthesiser or the bank is missing, the tune makes no sound, or `stop` is set meanwhile.
std::shared_ptr<const std::vector<std::int16_t>> RenderTune(std::span<const std::uint8_t> midi,
                                                            const std::string& soundFont, float gain,
                                                            const std::atomic<bool>& stop);

// The first bank that exists of: the files listed in `listed` (SDL_SOUNDFONTS, separated by ';' or ':'),
// Debian's TimGM6mb and its default-GM alternative, then the FluidR3 banks and the default bank of other
// distributions. With none of them, Debian's TimGM6mb path, so that the fault names the file to install.
std::string SoundFontPath(const char* listed = std::getenv("SDL_SOUNDFONTS"));

}  // namespace talvessa
