#include "make_effects/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace talvessa::sfx {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Xorshift32: our own generator, so the noise is the same on every machine and library.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed == 0 ? 1 : seed) {}  // 0 would stay 0 for ever
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

// The correction that rounds off a step in a wave at phase 0, spread over one sample on either side,
// so square and saw waves do not alias into a harsh whine at high pitches.
double PolyBlep(double phase, double step) {
  if (phase < step) {
    const double t = phase / step;
    return t + t - t * t - 1;
  }
  if (phase > 1 - step) {
    const double t = (phase - 1) / step;
    return t * t + t + t + 1;
  }
  return 0;
}

double Oscillator(Wave wave, double phase, double step, double duty) {
  switch (wave) {
    case Wave::Sine: return std::sin(kTwoPi * phase);
    case Wave::Triangle: return phase < 0.25 ? 4 * phase : phase < 0.75 ? 2 - 4 * phase : 4 * phase - 4;
    case Wave::Saw: return 2 * phase - 1 - PolyBlep(phase, step);
    case Wave::Square:
    case Wave::Pulse: {
      const double high = phase < duty ? 1 : -1;
      const double fall = phase + 1 - duty;
      // Less the mean, so a narrow pulse carries no offset into the mix.
      return high + PolyBlep(phase, step) - PolyBlep(fall - std::floor(fall), step) - (2 * duty - 1);
    }
    case Wave::Noise: break;
  }
  return 0;
}

// A two-pole state-variable filter (12 dB an octave, no resonance), stable at any cutoff below Nyquist.
class Filter {
 public:
  Filter(double cutoffHz, bool highpass) : highpass_(highpass) {
    const double g = std::tan(std::numbers::pi * cutoffHz / kSampleRate);
    a1_ = 1 / (1 + g * (g + kDamping));
    a2_ = g * a1_;
    a3_ = g * a2_;
  }
  double Next(double in) {
    const double v3 = in - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    return highpass_ ? in - kDamping * v1 - v2 : v2;
  }

 private:
  static constexpr double kDamping = std::numbers::sqrt2;  // Q of 1/sqrt(2): the flattest pass band
  bool highpass_;
  double a1_, a2_, a3_;
  double ic1_ = 0, ic2_ = 0;
};

// The voice's loudness at `ms` from its start.
double Envelope(const Voice& v, double ms) {
  if (ms < v.attackMs) return ms / v.attackMs;
  // Falls by 40 dB of the way to the sustain level over the decay time.
  const double level =
      v.decayMs > 0 ? v.sustain + (1 - v.sustain) * std::exp(-std::log(100.0) * (ms - v.attackMs) / v.decayMs)
                    : v.sustain;
  const double left = v.lengthMs - ms;
  return left < v.releaseMs ? level * left / v.releaseMs : level;
}

}  // namespace

int Samples(double ms) { return static_cast<int>(std::lround(ms * kSampleRate / 1000)); }

std::vector<double> RenderVoice(const Voice& v) {
  const int count = Samples(v.lengthMs);
  std::vector<double> out(static_cast<std::size_t>(count));
  Noise noise(v.seed);
  std::vector<Filter> filters;
  if (v.highpassHz > 0) filters.emplace_back(v.highpassHz, true);
  if (v.lowpassHz > 0) filters.emplace_back(v.lowpassHz, false);
  double phase = 0;
  for (int n = 0; n < count; ++n) {
    const double seconds = static_cast<double>(n) / kSampleRate;
    double sample = 0;
    if (v.wave == Wave::Noise) {
      sample = noise.Next();
    } else {
      double hz = v.fromHz * std::pow(v.toHz / v.fromHz, static_cast<double>(n) / count);
      if (v.vibratoHz > 0)
        hz *= std::pow(2.0, v.vibratoCents / 1200 * std::sin(kTwoPi * v.vibratoHz * seconds));
      const double step = std::min(hz / kSampleRate, 0.5);
      sample = Oscillator(v.wave, phase, step, v.wave == Wave::Pulse ? v.duty : 0.5);
      phase += step;
      phase -= std::floor(phase);
    }
    for (Filter& f : filters) sample = f.Next(sample);
    out[static_cast<std::size_t>(n)] = sample * Envelope(v, seconds * 1000);
  }
  return out;
}

std::vector<std::int16_t> RenderEffect(const Effect& effect) {
  std::size_t length = 0;
  for (const Voice& v : effect.voices)
    length = std::max(length, std::size_t(Samples(v.atMs) + Samples(v.lengthMs)));
  std::vector<double> mix(length);
  for (const Voice& v : effect.voices) {
    const std::vector<double> voice = RenderVoice(v);
    const double gain = std::pow(10.0, v.levelDb / 20);
    const std::size_t start = static_cast<std::size_t>(Samples(v.atMs));
    for (std::size_t i = 0; i < voice.size(); ++i) mix[start + i] += gain * voice[i];
  }

  // Half-cosine fades: zero at the very first and last sample, with no corner where they meet the sound.
  const std::size_t fade = static_cast<std::size_t>(Samples(kFadeMs));
  for (std::size_t i = 0; i < fade && i < mix.size(); ++i) {
    const double gain = (1 - std::cos(std::numbers::pi * static_cast<double>(i) / fade)) / 2;
    mix[i] *= gain;
    mix[mix.size() - 1 - i] *= gain;
  }

  double peak = 0;
  for (double s : mix) peak = std::max(peak, std::abs(s));
  if (peak == 0) throw std::invalid_argument(effect.name + " is silent");
  const double scale = 32767 * std::pow(10.0, kPeakDbfs / 20) / peak;
  std::vector<std::int16_t> samples(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
  return samples;
}

}  // namespace talvessa::sfx
