// The sound effects: the committed WAV files against their parameters, what every file must be for the
// game to play it cleanly, what each one must sound like, and the synthesiser's parts.
#include "make_effects/effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <numeric>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "asset_files.h"
#include "make_effects/effect_text.h"
#include "make_effects/synth.h"

namespace talvessa::sfx {
namespace {

using testing::kAssets;
using testing::ReadFile;

constexpr double kFullScale = 32768;

// The samples of a WAV file, after checking it is exactly the format the game expects.
std::vector<std::int16_t> DecodeWav(const std::vector<std::uint8_t>& b) {
  if (b.size() < 44) return {};
  auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8); };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  auto tag = [&](std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); };
  EXPECT_EQ(tag(0) + tag(8) + tag(12) + tag(36), "RIFFWAVEfmt data");
  EXPECT_EQ(u32(4), b.size() - 8);
  EXPECT_EQ(u32(16), 16u);
  EXPECT_EQ(u16(20), 1u) << "PCM";
  EXPECT_EQ(u16(22), 1u) << "mono";
  EXPECT_EQ(u32(24), 44100u);
  EXPECT_EQ(u32(28), 88200u) << "bytes a second";
  EXPECT_EQ(u16(32), 2u) << "bytes a frame";
  EXPECT_EQ(u16(34), 16u) << "bits a sample";
  EXPECT_EQ(u32(40), b.size() - 44);
  std::vector<std::int16_t> samples;
  for (std::size_t at = 44; at + 1 < b.size(); at += 2) samples.push_back(static_cast<std::int16_t>(u16(at)));
  return samples;
}

const std::vector<std::int16_t>& Committed(int n) {
  static const auto files = [] {
    std::array<std::vector<std::int16_t>, kEffectCount> all;
    for (int i = 0; i < kEffectCount; ++i)
      all[i] = DecodeWav(ReadFile(kAssets / "da" / ("se" + std::to_string(i) + ".wav")));
    return all;
  }();
  return files[static_cast<std::size_t>(n)];
}

int Peak(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
  int peak = 0;
  for (std::size_t i = from; i < std::min(to, s.size()); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

double Energy(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(s[i]) * double(s[i]);
  return sum;
}

// Loudness of each 5 ms of a file, as a share of its loudest 5 ms.
std::vector<double> Loudness(const std::vector<std::int16_t>& s, std::size_t window) {
  std::vector<double> levels;
  for (std::size_t at = 0; at + window <= s.size(); at += window)
    levels.push_back(Energy(s, at, at + window));
  const double loudest = *std::max_element(levels.begin(), levels.end());
  for (double& level : levels) level = std::sqrt(level / loudest);
  return levels;
}

// The strongest note (a MIDI number) in each 20 ms, half-overlapped, loud enough to carry one.
std::vector<int> PitchTrack(const std::vector<std::int16_t>& s) {
  constexpr std::size_t kWindow = 882;
  const std::vector<double> loudness = Loudness(s, kWindow / 2);
  std::vector<int> notes;
  for (std::size_t w = 0; w + 1 < loudness.size(); ++w) {
    if (std::min(loudness[w], loudness[w + 1]) < 0.25) continue;
    int best = 0;
    double strongest = 0;
    for (int midi = 36; midi <= 108; ++midi) {  // Goertzel's filter for each note
      const double c =
          2 * std::cos(2 * std::numbers::pi * 440 * std::pow(2.0, (midi - 69) / 12.0) / kSampleRate);
      double s1 = 0, s2 = 0;
      for (std::size_t i = w * kWindow / 2; i < w * kWindow / 2 + kWindow; ++i)
        s2 = std::exchange(s1, s[i] + c * s1 - s2);
      if (const double power = s1 * s1 + s2 * s2 - c * s1 * s2; power > strongest)
        strongest = power, best = midi;
    }
    notes.push_back(best);
  }
  return notes;
}

// Separate sounds: stretches above a tenth of the loudest 5 ms, parted by at least 10 ms below it (a dip
// as a sound dies away is not a new one).
int Bursts(const std::vector<std::int16_t>& s) {
  int bursts = 0, quiet = 2;
  for (double level : Loudness(s, 220)) {
    bursts += level > 0.1 && quiet >= 2;
    quiet = level > 0.1 ? 0 : quiet + 1;
  }
  return bursts;
}

std::size_t Distinct(const std::vector<int>& notes) {
  return std::set<int>(notes.begin(), notes.end()).size();
}

TEST(EffectsGenerator, ReproducesTheCommittedFilesByteForByte) {
  const std::vector<EffectFile> built = BuildEffects(kAssets / "sound/effects.txt");
  ASSERT_EQ(built.size(), std::size_t{kEffectCount});
  for (int n = 0; n < kEffectCount; ++n) {
    const std::string name = "se" + std::to_string(n);
    EXPECT_EQ(built[n].name, name);
    EXPECT_TRUE(built[n].wav == ReadFile(kAssets / "da" / (name + ".wav")))
        << name << ": rebuild with the effects target";
  }
}

TEST(EffectFiles, PeakAtTheirLevelStartAndEndSilentAndLastAsTheirCharacters) {
  constexpr std::array<std::pair<double, double>, kEffectCount> kLengthsMs = {{
      {90, 160},    // flick
      {5, 60},      // soft click
      {330, 480},   // arpeggio
      {200, 320},   // two-note chime
      {40, 90},     // key strike
      {330, 480},   // three-note chime
      {780, 1000},  // fanfare
      {420, 600},   // double honk
      {500, 720},   // deflating tone
  }};
  const std::size_t fade = static_cast<std::size_t>(0.003 * kSampleRate);
  for (int n = 0; n < kEffectCount; ++n) {
    SCOPED_TRACE("se" + std::to_string(n));
    const std::vector<std::int16_t>& s = Committed(n);
    ASSERT_GT(s.size(), 2 * fade);
    const double ms = 1000.0 * static_cast<double>(s.size()) / kSampleRate;
    EXPECT_GE(ms, kLengthsMs[n].first);
    EXPECT_LE(ms, kLengthsMs[n].second);
    EXPECT_NEAR(20 * std::log10(Peak(s, 0, s.size()) / kFullScale), kPeakDbfs, 0.1);
    EXPECT_EQ(s.front(), 0);
    EXPECT_EQ(s.back(), 0);
    // No click: over the first and last millisecond the sound grows no faster than a straight 3 ms fade.
    for (std::size_t i = 0; i < fade / 3; ++i) {
      const double limit = kFullScale * static_cast<double>(i + 1) / fade;
      ASSERT_LE(std::abs(s[i]), limit) << "sample " << i;
      ASSERT_LE(std::abs(s[s.size() - 1 - i]), limit) << "sample " << i << " from the end";
    }
  }
}

TEST(EffectFiles, SoundLikeWhatTheyStandFor) {
  const std::vector<int> flick = PitchTrack(Committed(0));
  ASSERT_GE(flick.size(), 3u);
  EXPECT_GE(flick.back() - flick.front(), 12) << "se0 flicks upward by an octave or more";

  const std::vector<int> arpeggio = PitchTrack(Committed(2));
  EXPECT_TRUE(std::is_sorted(arpeggio.begin(), arpeggio.end())) << "se2 only rises";
  EXPECT_GE(Distinct(arpeggio), 3u);
  EXPECT_LE(Distinct(arpeggio), 4u);

  for (auto [n, notes] : {std::pair{3, 2u}, {5, 3u}}) {
    const std::vector<int> chime = PitchTrack(Committed(n));
    EXPECT_TRUE(std::is_sorted(chime.begin(), chime.end())) << "se" << n;
    EXPECT_EQ(Distinct(chime), notes) << "se" << n;
    EXPECT_GE(chime.front(), 72) << "se" << n << " chimes brightly, above C5";
  }

  // A key strike is over at once: most of it lies in its first 20 ms.
  const std::vector<std::int16_t>& key = Committed(4);
  EXPECT_GT(Energy(key, 0, Samples(20)), 4 * Energy(key, Samples(20), key.size()));

  EXPECT_EQ(Bursts(Committed(6)), 4) << "se6: three calls, then the held chord";
  EXPECT_EQ(Bursts(Committed(7)), 2) << "se7 honks twice";

  const std::vector<int> deflating = PitchTrack(Committed(8));
  ASSERT_GE(deflating.size(), 3u);
  EXPECT_GE(deflating.front() - deflating.back(), 12) << "se8 falls by an octave or more";
}

Voice Steady(Wave wave, double hz, double ms) {
  Voice v;
  v.wave = wave;
  v.fromHz = v.toHz = hz;
  v.lengthMs = ms;
  v.attackMs = 0;
  v.seed = 1;
  return v;
}

// Frequency from the zero crossings between two times.
double HzBetween(const std::vector<double>& s, double fromMs, double toMs) {
  int crossings = 0;
  for (int i = Samples(fromMs) + 1; i < Samples(toMs); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
  return crossings * 500 / (toMs - fromMs);
}

TEST(EffectSynth, PitchesGlidesAndVibratoLandOnTheirFrequencies) {
  EXPECT_DOUBLE_EQ(NoteFrequency("A4"), 440);
  EXPECT_DOUBLE_EQ(NoteFrequency("A0"), 27.5);
  EXPECT_NEAR(NoteFrequency("C#5"), 554.365, 0.001);
  EXPECT_DOUBLE_EQ(NoteFrequency("C#5"), NoteFrequency("Db5"));
  EXPECT_DOUBLE_EQ(NoteFrequency("B3"), NoteFrequency("Cb4"));
  for (const char* notANote : {"H4", "A", "A9", "C##4", "a4", "440", "A4x"})
    EXPECT_EQ(NoteFrequency(notANote), 0) << notANote;

  for (Wave wave : {Wave::Sine, Wave::Triangle, Wave::Square, Wave::Pulse, Wave::Saw}) {
    const std::vector<double> s = RenderVoice(Steady(wave, 440, 1000));
    ASSERT_EQ(s.size(), 44100u);
    EXPECT_NEAR(HzBetween(s, 0, 1000), 440, 1) << static_cast<int>(wave);
  }

  // A glide moves in equal musical steps: halfway from 220 to 880 Hz it sounds 440, not 550.
  Voice glide = Steady(Wave::Sine, 220, 1000);
  glide.toHz = 880;
  const std::vector<double> g = RenderVoice(glide);
  EXPECT_NEAR(HzBetween(g, 0, 100), 236, 10);
  EXPECT_NEAR(HzBetween(g, 450, 550), 440, 10);
  EXPECT_NEAR(HzBetween(g, 900, 1000), 822, 20);

  // Vibrato sways around the pitch without moving it.
  Voice wobble = Steady(Wave::Sine, 440, 1000);
  wobble.vibratoHz = 5;
  wobble.vibratoCents = 200;
  const std::vector<double> w = RenderVoice(wobble);
  EXPECT_NEAR(HzBetween(w, 0, 1000), 440, 2);
  EXPECT_GT(HzBetween(w, 0, 100), HzBetween(w, 100, 200) + 40) << "sharp, then flat";
}

TEST(EffectSynth, EnvelopeRisesDecaysToItsSustainAndReleasesToSilence) {
  Voice v = Steady(Wave::Sine, 1000, 400);
  v.attackMs = 20;
  v.decayMs = 100;
  v.sustain = 0.25;
  v.releaseMs = 50;
  const std::vector<double> s = RenderVoice(v);
  auto crest = [&](double ms) {  // over one period of the tone
    double peak = 0;
    for (int i = Samples(ms - 0.5); i < Samples(ms + 0.5); ++i) peak = std::max(peak, std::abs(s[i]));
    return peak;
  };
  EXPECT_NEAR(crest(10), 0.5, 0.03);
  EXPECT_NEAR(crest(20), 1.0, 0.03);
  EXPECT_NEAR(crest(70), 0.25 + 0.75 * 0.1, 0.01) << "halfway through the decay, 20 dB down";
  EXPECT_NEAR(crest(200), 0.25, 0.01);
  EXPECT_NEAR(crest(340), 0.25, 0.01);
  EXPECT_NEAR(crest(375), 0.125, 0.01);
  EXPECT_LT(std::abs(s.back()), 0.01);
}

TEST(EffectSynth, NoiseIsSeededAndEvenAndPulsesCarryNoOffset) {
  Voice noise = Steady(Wave::Noise, 0, 500);
  const std::vector<double> a = RenderVoice(noise);
  EXPECT_EQ(a, RenderVoice(noise));
  noise.seed = 2;
  EXPECT_NE(a, RenderVoice(noise));
  double sum = 0, square = 0;
  for (double x : a) sum += x, square += x * x;
  EXPECT_NEAR(sum / a.size(), 0, 0.02);
  EXPECT_NEAR(square / a.size(), 1.0 / 3, 0.02) << "evenly spread over -1 to 1";
  EXPECT_NEAR(HzBetween(a, 0, 500), kSampleRate / 4.0, 500) << "white: every other sample changes sign";

  for (double duty : {0.1, 0.25, 0.9}) {
    Voice pulse = Steady(Wave::Pulse, 441, 1000);
    pulse.duty = duty;
    const std::vector<double> s = RenderVoice(pulse);
    EXPECT_NEAR(std::accumulate(s.begin(), s.end(), 0.0) / s.size(), 0, 0.005) << duty;
  }
}

TEST(EffectSynth, FiltersPassTheirSideAndCutTheOther) {
  auto levelDb = [](double hz, double lowpass, double highpass) {
    Voice v = Steady(Wave::Sine, hz, 200);
    v.lowpassHz = lowpass;
    v.highpassHz = highpass;
    const std::vector<double> s = RenderVoice(v);
    double sum = 0;  // over the second half, once the filter has settled
    for (std::size_t i = s.size() / 2; i < s.size(); ++i) sum += s[i] * s[i];
    return 10 * std::log10(2 * sum / static_cast<double>(s.size() - s.size() / 2));
  };
  EXPECT_NEAR(levelDb(200, 1000, 0), 0, 0.5);
  EXPECT_NEAR(levelDb(1000, 1000, 0), -3, 0.5) << "the cutoff is the half-power point";
  EXPECT_LT(levelDb(8000, 1000, 0), -30);
  EXPECT_NEAR(levelDb(8000, 0, 1000), 0, 0.5);
  EXPECT_LT(levelDb(125, 0, 1000), -30);
  EXPECT_NEAR(levelDb(2000, 8000, 500), 0, 0.5);
}

TEST(EffectSynth, MixLevelsFadesAndLength) {
  // Two voices apart in time, the second 6 dB down: after the mix it peaks at half the first.
  Voice loud = Steady(Wave::Sine, 1000, 100);
  Voice soft = loud;
  soft.atMs = 150;
  soft.levelDb = -6.0206;
  const std::vector<std::int16_t> s = RenderEffect(Effect{"two", 1, {soft, loud}});
  ASSERT_EQ(s.size(), static_cast<std::size_t>(Samples(250)));
  const int first = Peak(s, 0, Samples(100)), second = Peak(s, Samples(150), s.size());
  EXPECT_NEAR(20 * std::log10(first / 32767.0), kPeakDbfs, 0.001);
  EXPECT_NEAR(second, first / 2.0, first * 0.01);
  EXPECT_EQ(Peak(s, Samples(101), Samples(149)), 0) << "silence between them";

  // The fades: under way at 2 ms, done by 5 ms.
  const std::vector<std::int16_t> tone = RenderEffect(Effect{"one", 1, {Steady(Wave::Sine, 1000, 200)}});
  const int peak = Peak(tone, 0, tone.size()), end = static_cast<int>(tone.size());
  EXPECT_LT(Peak(tone, 0, Samples(2)), 0.75 * peak);
  EXPECT_GT(Peak(tone, Samples(5), Samples(7)), 0.99 * peak);
  EXPECT_GT(Peak(tone, end - Samples(7), end - Samples(5)), 0.99 * peak);
  EXPECT_LT(Peak(tone, end - Samples(2), end), 0.75 * peak);

  Voice silent = Steady(Wave::Sine, 1000, 100);
  silent.sustain = 0;
  EXPECT_THROW(RenderEffect(Effect{"silent", 1, {silent}}), std::invalid_argument);
}

}  // namespace
}  // namespace talvessa::sfx
