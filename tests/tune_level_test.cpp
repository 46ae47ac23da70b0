// The mix's rules every sound backend shares: the volume's steps and the tune's ceiling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/audio.h"

namespace talvessa {
namespace {

constexpr int kRate = 1000;  // a short "second" keeps the samples few

double Dbfs(double level) { return 20.0 * std::log10(level / 32768.0); }

int Peak(const std::vector<std::int16_t>& samples) {
  int peak = 0;
  for (const std::int16_t sample : samples) peak = std::max(peak, std::abs(int{sample}));
  return peak;
}

// The root mean square of the loudest second.
double LoudestSecond(const std::vector<std::int16_t>& samples) {
  double loudest = 0;
  for (std::size_t start = 0; start + 2 * kRate <= samples.size(); start += kRate / 10) {
    double squares = 0;
    for (std::size_t i = start; i < start + 2 * kRate; ++i)
      squares += static_cast<double>(samples[i]) * samples[i];
    loudest = std::max(loudest, std::sqrt(squares / (2 * kRate)));
  }
  return loudest;
}

TEST(TuneLevel, ALoudTuneComesDownToTheCeilingAndAQuietOneIsLeftAlone) {
  struct Case {
    const char* what;
    int bed;    // the level held throughout
    int burst;  // a short peak in the middle, 0 for none
    bool scaled;
  };
  const Case cases[] = {
      {"quiet throughout", 400, 0, false},
      {"a loud bed", 12000, 0, true},                          // its loudest second is above -24 dBFS
      {"a quiet bed with a clipping peak", 300, 32767, true},  // its peak is above -8 dBFS
      {"silence", 0, 0, false},
  };
  for (const Case& c : cases) {
    std::vector<std::int16_t> samples(10 * 2 * kRate);
    for (std::size_t i = 0; i < samples.size(); ++i)
      samples[i] = static_cast<std::int16_t>(i % 2 == 0 ? c.bed : -c.bed);
    if (c.burst != 0) std::fill_n(samples.begin() + 5 * 2 * kRate, 40, static_cast<std::int16_t>(c.burst));
    const std::vector<std::int16_t> before = samples;
    LevelTune(samples, kRate);
    if (!c.scaled) {
      EXPECT_EQ(samples, before) << c.what;
      continue;
    }
    EXPECT_LE(Dbfs(Peak(samples)), kTunePeakDbfs + 0.01) << c.what;
    EXPECT_LE(Dbfs(LoudestSecond(samples)), kTuneLoudestSecondDbfs + 0.01) << c.what;
    // Down to the ceiling, not below it: one of the two bounds is met at its limit.
    EXPECT_GT(
        std::max(Dbfs(Peak(samples)) - kTunePeakDbfs, Dbfs(LoudestSecond(samples)) - kTuneLoudestSecondDbfs),
        -0.1)
        << c.what;
  }
}

TEST(TuneLevel, EachVolumeStepIsThreeDecibelsAndZeroIsSilence) {
  EXPECT_EQ(GainOfVolume(kFullVolume), 1.0);
  EXPECT_EQ(GainOfVolume(kFullVolume + 5), 1.0);
  EXPECT_EQ(GainOfVolume(0), 0.0);
  EXPECT_EQ(GainOfVolume(-1), 0.0);
  for (int volume = 1; volume < kFullVolume; ++volume)
    EXPECT_NEAR(20.0 * std::log10(GainOfVolume(volume + 1) / GainOfVolume(volume)), 3.0, 1e-9) << volume;
}

}  // namespace
}  // namespace talvessa
