// The tune's render at its bounds, through the real synthesiser: a tune longer than a render may be, or
// one that costs more of a core than it may, plays what was rendered by then, fading out over its last
// seconds so that it starts over after a close rather than mid-note.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "platform/sdl/rendered_tune.h"
#include "support/media_files.h"

namespace talvessa::testing {
namespace {

std::vector<std::int16_t> Render(const Bytes& tune, RenderBounds bounds) {
  const std::atomic<bool> stop = false;
  const auto samples = RenderTune(tune, SoundFontPath(), 1.0f, stop, bounds);
  return samples != nullptr ? *samples : std::vector<std::int16_t>();
}

// The level of seconds [from, to) of a render, as a share of full scale.
double Rms(const std::vector<std::int16_t>& samples, double from, double to) {
  const auto first = static_cast<std::size_t>(from * kSampleRate) * 2;
  const auto last = std::min(samples.size(), static_cast<std::size_t>(to * kSampleRate) * 2);
  double sum = 0;
  for (std::size_t i = first; i < last; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return last > first ? std::sqrt(sum / static_cast<double>(last - first)) / 32768.0 : 0.0;
}

TEST(TuneAtItsBounds, ATuneLongerThanARenderFadesOutOverItsLastSeconds) {
  // A church organ holds its note at one level for 8 s, in a render of 5 s at most.
  TuneTrack organ;
  organ.At(0, {0xC0, 19}).At(0, {0x90, 60, 100}).At(8 * kTicksPerSecond, {0x80, 60, 0}).End();
  const std::vector<std::int16_t> samples = Render(TuneFile({organ}, {.format = 0}), {.seconds = 5});

  ASSERT_EQ(samples.size(), std::size_t{2} * 5 * kSampleRate);
  const double held = Rms(samples, 1.0, 1.9);
  ASSERT_GT(held, 0.005) << "the organ was not heard";
  const double fade = RenderBounds::kFadeSeconds;
  EXPECT_NEAR(Rms(samples, 5 - fade - 0.1, 5 - fade) / held, 1.0, 0.1) << "faded before its last seconds";
  EXPECT_NEAR(Rms(samples, 5 - fade / 2 - 0.05, 5 - fade / 2 + 0.05) / held, 0.5, 0.1) << "halfway through";
  EXPECT_LT(Rms(samples, 4.95, 5.0) / held, 0.03) << "cut off, not faded out";
}

TEST(TuneAtItsBounds, ATuneThatCostsMoreOfACoreThanARenderMayPlaysWhatWasRenderedFaded) {
  // The synthesiser's whole polyphony: 96 notes on 12 channels struck at full force every tenth of a
  // second for a minute, each ringing on under the next. It took 34 s of a core to render.
  TuneTrack track;
  for (int strike = 0; strike < 600; ++strike) {
    for (int note = 0; note < 96; ++note) {
      const auto channel = static_cast<std::uint8_t>(0x90 | note / 8);
      track.At(note == 0 && strike > 0 ? kTicksPerSecond / 10 : 0,
               {channel, static_cast<std::uint8_t>(30 + note % 8 * 8), 127});
    }
  }
  const std::vector<std::int16_t> samples = Render(TuneFile({track.End()}), {.cpuSeconds = 0.5});

  const double seconds = static_cast<double>(samples.size()) / 2 / kSampleRate;
  ASSERT_GT(seconds, 0.2) << "nothing was rendered";
  EXPECT_LT(seconds, 30.0) << "the render went on past its bound";
  EXPECT_LT(Rms(samples, seconds - 0.05, seconds), 0.1 * Rms(samples, 0.0, seconds / 4))
      << "cut off, not faded out";
}

}  // namespace
}  // namespace talvessa::testing
