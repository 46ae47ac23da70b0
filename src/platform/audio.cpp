#include "platform/audio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace talvessa {

double GainOfVolume(int volume) {
  if (volume <= 0) return 0.0;
  return std::pow(10.0, 3.0 * (std::min(volume, kFullVolume) - kFullVolume) / 20.0);
}

void LevelTune(std::span<std::int16_t> samples, int rate) {
  const std::size_t second = 2 * static_cast<std::size_t>(rate);
  std::int64_t squares = 0;  // of the second of samples ending at each one
  std::int64_t loudest = 0;
  int peak = 1;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    squares += std::int64_t{samples[i]} * samples[i] -
               (i < second ? 0 : std::int64_t{samples[i - second]} * samples[i - second]);
    loudest = std::max(loudest, squares);
    peak = std::max(peak, std::abs(int{samples[i]}));
  }
  const auto share = [](double dbfs) { return 32768.0 * std::pow(10.0, dbfs / 20.0); };
  const double loudestRms =
      std::sqrt(static_cast<double>(loudest) / static_cast<double>(std::min(second, samples.size())));
  const double scale =
      std::min({1.0, share(kTunePeakDbfs) / peak, share(kTuneLoudestSecondDbfs) / std::max(loudestRms, 1.0)});
  if (scale < 1.0)
    for (std::int16_t& sample : samples) sample = static_cast<std::int16_t>(std::lround(sample * scale));
}

}  // namespace talvessa
