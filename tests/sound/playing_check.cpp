// Effects and the tune played through the real sound backend: their lengths, levels, cuts and loops.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "listening.h"

namespace talvessa {
namespace {

using testing::Frames;
using testing::kEdgeFrames;
using testing::kLevelTolerance;
using testing::kMarkerLevel;
using testing::kSineRms;
using testing::kTuneHeard;
using testing::OneNoteTune;
using testing::Recording;
using testing::SdlSoundListening;
using testing::ToneWave;

// Read once the device opens, not in the frame of its first play: the file is gone by then.
TEST_F(SdlSoundListening, AnEffectReadAtStartSoundsForItsLengthAtItsLevelThenFallsSilent) {
  WriteMedia("se0.wav", ToneWave(0.3, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(Record(0.3));
  std::filesystem::remove(Media("se0.wav"));
  audio().PlayEffect(Media("se0"));
  ASSERT_TRUE(Record(0.9));
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_LT(start, end) << "nothing was heard in " << heard.Seconds(heard.frames()) << " s";
  EXPECT_NEAR(end - start, Frames(0.3), kEdgeFrames);
  EXPECT_NEAR(heard.Rms(start, end), 0.5 * kSineRms, kLevelTolerance);
  EXPECT_GT(heard.frames(), end + kEdgeFrames) << "the recording ended before the effect did";
}

TEST_F(SdlSoundListening, ANewEffectCutsTheOnePlaying) {
  WriteMedia("se8.wav", ToneWave(2.0, 0.25));
  WriteMedia("se6.wav", ToneWave(0.2, 0.75, 660.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().PlayEffect(Media("se8"));
  ASSERT_TRUE(Record(0.3));
  audio().PlayEffect(Media("se6"));
  ASSERT_TRUE(Record(0.7));
  const Recording heard = Finish();

  // The long tone, then the short one to its end, then silence: the long tone does not come back.
  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_GT(end, start + Frames(0.3));
  EXPECT_NEAR(heard.Rms(start, start + Frames(0.1)), 0.25 * kSineRms, kLevelTolerance) << "the long tone";
  EXPECT_NEAR(heard.Rms(end - Frames(0.2) + kEdgeFrames, end), 0.75 * kSineRms, kLevelTolerance)
      << "the short tone, played to its end";
  EXPECT_GT(heard.frames(), end + kEdgeFrames) << "the long tone went on after the short one";
}

TEST_F(SdlSoundListening, SilencingCutsTheEffect) {
  WriteMedia("se2.wav", ToneWave(2.0, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().PlayEffect(Media("se2"));
  ASSERT_TRUE(Record(0.3));
  audio().SilenceEffects();
  ASSERT_TRUE(Record(0.5));
  const Recording heard = Finish();

  // The recording holds less than the effect's two seconds: silence before its end means it was cut.
  ASSERT_FALSE(heard.AllSilent());
  EXPECT_GT(heard.frames(), heard.SoundEnd() + kEdgeFrames) << "the effect went on after it was silenced";
}

TEST_F(SdlSoundListening, TheTunePlaysLoopsAndStopsAtOnce) {
  // A short note at the start of a tune of 0.6 s: each pass begins loud after a quiet end.
  WriteMedia("bg1.mid", OneNoteTune(0.15, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  ASSERT_TRUE(Record(1.0));
  audio().StopMusic();
  PlayMarker();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Stopped);
  ASSERT_TRUE(Record(0.3));
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  const auto marks = heard.Loud(kMarkerLevel);
  ASSERT_EQ(marks.size(), 1u);
  ASSERT_GT(marks[0].start, start + Frames(0.75)) << "the tune's second pass was not recorded";
  const double firstNote = heard.Rms(start, start + Frames(0.15));
  EXPECT_GT(firstNote, kTuneHeard);
  const double quietEnd = heard.Rms(start + Frames(0.45), start + Frames(0.58));
  const double secondPass = heard.Rms(start + Frames(0.62), start + Frames(0.75));
  EXPECT_GT(secondPass, 10 * quietEnd) << "the tune did not start again at its end";
  // The marker was played as the tune stopped; after it, silence to the end, where a third pass would be.
  EXPECT_LE(heard.SoundEnd(), marks[0].end + kEdgeFrames) << "the tune went on after it was stopped";
}

TEST_F(SdlSoundListening, AClosedTuneOpensAgainAndPlays) {
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  for (int game = 0; game < 2; ++game) {
    audio().OpenMusic(Media("bg1.mid"));
    audio().PlayMusic();
    ASSERT_TRUE(Record(0.3));
    audio().StopMusic();
    audio().CloseMusic();
    EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
    ASSERT_TRUE(Record(0.3));
  }
  const Recording heard = Finish();

  // Two stretches of sound with silence between them.
  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_LT(start, end);
  EXPECT_GT(heard.LongestSilence(start, end), kEdgeFrames);
  EXPECT_GT(heard.Rms(end - Frames(0.2), end), kTuneHeard) << "the second game's tune";
}

TEST_F(SdlSoundListening, AFolderNamedWithBlanksAndOtherLettersPlays) {
  const std::string folder = "dir with blanks/日本語 フォルダ";
  WriteMedia("se0.wav", ToneWave(0.2, 0.5), folder);
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0), folder);
  ASSERT_NO_FATAL_FAILURE(Open({}, {Media("se0", folder)}));
  audio().PlayEffect(Media("se0", folder));
  ASSERT_TRUE(Record(0.3));
  audio().OpenMusic(Media("bg1.mid", folder));
  audio().PlayMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  ASSERT_TRUE(Record(0.6));
  const Recording heard = Finish();

  // The effect for its length, then the tune.
  const std::size_t start = heard.SoundStart();
  const std::size_t effectEnd = start + Frames(0.2);
  ASSERT_GT(heard.SoundEnd(), effectEnd + kEdgeFrames);
  EXPECT_NEAR(heard.Rms(start, effectEnd), 0.5 * kSineRms, kLevelTolerance) << "the effect";
  EXPECT_GT(heard.Rms(effectEnd + kEdgeFrames, heard.frames()), kTuneHeard) << "the tune";
}

}  // namespace
}  // namespace talvessa
