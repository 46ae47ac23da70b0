// Renders effects from their voices: oscillators with pitch glides and vibrato, a seeded noise source,
// two-pole filters, envelopes, and the final mix with its fades and level.
#pragma once

#include <cstdint>
#include <vector>

#include "make_effects/effect_text.h"

namespace talvessa::sfx {

constexpr int kSampleRate = 44100;
// Every effect peaks here, so they all play equally loud over the tune; the room left above them is
// for the tune's own peaks, so that an effect over the loudest moment of the tune never clips.
constexpr double kPeakDbfs = -5.0;
// Both ends fade over this long, so an effect never starts or stops with a click.
constexpr double kFadeMs = 4.0;

// The number of samples in `ms` milliseconds, rounded to the nearest.
int Samples(double ms);

// One voice alone from its own start, at full scale (about ±1) before its level is applied.
std::vector<double> RenderVoice(const Voice& voice);

// The whole effect as 16-bit samples: the voices mixed at their levels, the ends faded and the peak
// set to kPeakDbfs. Throws std::invalid_argument for an effect with no sound in it.
std::vector<std::int16_t> RenderEffect(const Effect& effect);

}  // namespace talvessa::sfx
