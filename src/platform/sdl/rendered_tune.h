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
  // One loop is signed 16-bit stereo at kRate frames a second.
  static constexpr int kRate = 44100;
};

// What a render may cost: a tune longer, or one that takes more of a core to synthesise (the game's own
// is 51 s, some 2 s of a core), plays what was rendered by then, fading out over its last kFadeSeconds
// before it starts over. 180 s make 30 MB.
struct RenderBounds {
  static constexpr double kFadeSeconds = 3;
  int seconds = 180;
  double cpuSeconds = 10;
};

// `midi` rendered with the bank `soundFont` at the synthesiser's `gain`, levelled to the mix's ceiling;
// null when the synthesiser or the bank is missing, the memory left cannot hold the bank (said in one
// line), the tune makes no sound, or `stop` is set meanwhile. Run on a thread of its own: it is the
// thread's CPU time that counts.
std::shared_ptr<const std::vector<std::int16_t>> RenderTune(std::span<const std::uint8_t> midi,
                                                            const std::string& soundFont, float gain,
                                                            const std::atomic<bool>& stop,
                                                            RenderBounds bounds = {});

// The first bank that exists of: the files listed in `listed` (SDL_SOUNDFONTS, separated by ';' or ':'),
// Debian's TimGM6mb and its default-GM alternative, then the FluidR3 banks and the default bank of other
// distributions. With none of them, Debian's TimGM6mb path, so that the fault names the file to install.
std::string SoundFontPath(const char* listed = std::getenv("SDL_SOUNDFONTS"));

}  // namespace talvessa
