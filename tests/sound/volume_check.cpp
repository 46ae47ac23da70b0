// The player's volume through the real sound backend: each step is 3 dB for the effects and the tune
// alike, 0 is silence, and the volume chosen at start holds before anything plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "listening.h"
#include "platform/sdl/rendered_tune.h"
#include "formats/media_checks.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::Frames;
using testing::kLevelTolerance;
using testing::kSineRms;
using testing::Recording;
using testing::SdlSoundListening;
using testing::ToneWave;

// Two steps down: 6 dB, half the amplitude.
constexpr double kTwoStepsDown = 0.501;

TEST_F(SdlSoundListening, TheVolumeStepsEffectsByThreeDecibelsAndZeroSilencesThem) {
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  SdlPlatformOptions options;
  options.volume = kFullVolume - 2;
  ASSERT_NO_FATAL_FAILURE(Open(options));
  audio().PlayEffect(Media("se0"));
  ASSERT_TRUE(Record(0.4));
  audio().SetVolume(0);
  audio().PlayEffect(Media("se0"));
  ASSERT_TRUE(Record(0.4));
  audio().SetVolume(kFullVolume);
  audio().PlayEffect(Media("se0"));
  ASSERT_TRUE(Record(0.4));
  const Recording heard = Finish();

  const auto sounds = heard.Sounding(0, Frames(0.1));
  ASSERT_EQ(sounds.size(), 2u) << "the effect at volume 0 was heard, or another was not";
  EXPECT_NEAR(heard.Rms(sounds[0].start, sounds[0].end), kTwoStepsDown * 0.5 * kSineRms, kLevelTolerance);
  EXPECT_NEAR(heard.Rms(sounds[1].start, sounds[1].end), 0.5 * kSineRms, kLevelTolerance);
  EXPECT_GT(sounds[1].start, sounds[0].end + Frames(0.5)) << "the silent one lies between them";
}

TEST_F(SdlSoundListening, TheTuneFollowsTheVolumeWhilePlaying) {
  // A church organ holds its note at one level, where a piano's would fade.
  testing::TuneTrack organ;
  organ.At(0, {0xC0, 19}).At(0, {0x90, 60, 100}).At(3 * testing::kTicksPerSecond, {0x80, 60, 0}).End();
  WriteMedia("bg1.mid", testing::TuneFile({organ}, {.format = 0}));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  ASSERT_TRUE(Record(0.8));
  audio().SetVolume(kFullVolume - 2);
  ASSERT_TRUE(Record(0.8));
  audio().SetVolume(0);
  ASSERT_TRUE(Record(0.5));
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  ASSERT_LT(start, heard.frames()) << "the tune was not heard";
  // The note's steady middle at full volume, then two steps down; both well within their stretches.
  const double full = heard.Rms(start + Frames(0.4), start + Frames(0.7));
  const double lower = heard.Rms(start + Frames(1.0), start + Frames(1.3));
  ASSERT_GT(full, 0.0);
  EXPECT_NEAR(20 * std::log10(lower / full), -6.0, 1.5);
  // The synthesiser's dither may leave the lowest bit astir: silence is below -70 dBFS.
  EXPECT_LT(heard.Rms(heard.frames() - Frames(0.3), heard.frames()), 3e-4) << "volume 0 left the tune heard";
}

// As loud a tune as the check lets through: at each of 99 ticks, 1,000 strikes at full force of the 96
// notes it may hold, on twelve channels. Unlevelled, it played at -5.7 dBFS with its peaks at full scale.
Bytes ThousandNotesATick() {
  testing::TuneTrack track;
  for (int tick = 0; tick < 99; ++tick) {
    for (int note = 0; note < 1000; ++note) {
      const auto channel = static_cast<std::uint8_t>(0x90 | (note % 96) / 8);
      track.At(note == 0 && tick > 0 ? 10 : 0, {channel, static_cast<std::uint8_t>(40 + note % 8 * 5), 127});
    }
  }
  return testing::TuneFile({track.End(testing::kTicksPerSecond)});
}

TEST_F(SdlSoundListening, ATuneOfAThousandNotesATickPlaysNoLouderThanTheTuneMayInTheMix) {
  const Bytes tune = ThousandNotesATick();
  ASSERT_TRUE(IsPlayableTune(tune)) << "the check no longer lets the loudest tune through";
  WriteMedia("bg1.mid", tune);
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  ASSERT_TRUE(AwaitSound());
  ASSERT_TRUE(Record(2.5));
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  ASSERT_LT(start + Frames(1.0), heard.frames()) << "the tune was not heard for a second";
  double loudest = 0;
  for (std::size_t at = start; at + Frames(1.0) <= heard.frames(); at += Frames(0.1))
    loudest = std::max(loudest, heard.Rms(at, at + Frames(1.0)));
  const auto dbfs = [](double share) { return 20 * std::log10(share); };
  EXPECT_LE(dbfs(loudest), RenderedTune::kLoudestSecondDbfs + 0.1);
  EXPECT_LE(dbfs(heard.Peak()), RenderedTune::kPeakDbfs + 0.1);
  EXPECT_GT(dbfs(loudest), RenderedTune::kLoudestSecondDbfs - 3) << "levelled far below what the tune may";
}

}  // namespace
}  // namespace talvessa
