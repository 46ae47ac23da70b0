// Sound devices through the real sound backend: none at all, one lost during play, one that comes back or
// comes late. The game plays on silently without one and brings the tune back with the next.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "listening.h"

namespace talvessa {
namespace {

using testing::AnnounceDevice;
using testing::kEdgeFrames;
using testing::kMarkerLevel;
using testing::OneNoteTune;
using testing::RecordedFrames;
using testing::Recording;
using testing::SdlSoundListening;
using testing::ToneWave;

TEST_F(SdlSoundListening, WithoutADeviceEverythingIsSilentAndHarmless) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().PlayEffect(Media("se0"));
  audio().SilenceEffects();
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  audio().SeekMusicToStart();
  audio().StopMusic();
  audio().CloseMusic();
  EXPECT_EQ(input().PumpEvents(), PumpResult::Running);
  platform_.reset();
  EXPECT_FALSE(std::filesystem::exists(output())) << "the disk driver was not asked for";
}

TEST_F(SdlSoundListening, LosingTheDeviceSilencesThePlayAndTheNextDeviceBringsTheTuneBack) {
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  ASSERT_TRUE(Record(0.5));
  // Another device, never opened, goes away: nothing changes, and the marker is heard on ours.
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 0);
  input().PumpEvents();
  PlayMarker();
  ASSERT_TRUE(Record(0.3)) << "another device's going stopped ours";
  // Ours goes: the game plays on, the tune playing as far as it can tell, an effect harmless.
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 2);
  input().PumpEvents();
  const std::size_t recordedWhenLost = RecordedFrames(output());
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  audio().PlayEffect(Media("se0"));
  audio().SeekMusicToStart();
  Run(300);
  const auto after = scratch_.path() / "after.raw";
  setenv("SDL_DISKAUDIOFILE", after.c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEADDED, 0);
  input().PumpEvents();
  PlayMarker();
  ASSERT_TRUE(Record(0.7, after)) << "the returning device was not opened";
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  const Recording before = Finish();

  // The first device heard the tune, then the marker with the tune going on, and nothing once it was lost.
  const auto marks = before.Loud(kMarkerLevel);
  ASSERT_EQ(marks.size(), 1u) << "the marker played after another device went was not heard on ours";
  EXPECT_LT(before.SoundStart(), marks[0].start) << "the tune was not heard before the marker";
  EXPECT_GT(before.SoundEnd(), marks[0].end + kEdgeFrames) << "the tune stopped when another device went";
  EXPECT_EQ(before.frames(), recordedWhenLost) << "the mixer went on with the lost device";
  // The next one hears the tune again from its beginning.
  ExpectTheTuneFromItsStartWithTheMarker(Recording(after));
}

TEST_F(SdlSoundListening, AfterALossTheGameLooksForADeviceItselfWhenNoneIsAnnounced) {
  // A sound server that restarts announces no device: the game must find it by looking again.
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  ASSERT_TRUE(Record(0.3));
  const auto after = scratch_.path() / "after.raw";
  setenv("SDL_DISKAUDIOFILE", after.c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 2);
  const auto lost = std::chrono::steady_clock::now();
  input().PumpEvents();
  const std::size_t recordedWhenLost = RecordedFrames(output());
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(after); })) << "no device was looked for";
  // The game waits a second by its own clock (whole milliseconds) before it looks. It opened the device
  // during the pump that found it, before loading the sound bank; what the driver has recorded since dates
  // the opening, as it records no faster than real time, give or take two of its 1024-frame buffers.
  const double recorded = (std::max<double>(RecordedFrames(after), 2048) - 2048) / testing::kSampleRate;
  const auto opened = std::chrono::steady_clock::now() - std::chrono::duration<double>(recorded);
  EXPECT_GE(opened - lost, std::chrono::milliseconds(998))
      << "looked again sooner than a second after the loss";
  PlayMarker();
  ASSERT_TRUE(Record(0.5, after));
  EXPECT_EQ(Finish().frames(), recordedWhenLost) << "the mixer went on with the lost device";
  ExpectTheTuneFromItsStartWithTheMarker(Recording(after));
}

TEST_F(SdlSoundListening, WithNoDeviceAtStartTheSoundComesWithTheFirstDevice) {
  // The disk device cannot open while its file cannot be written.
  setenv("SDL_DISKAUDIOFILE", (scratch_.path() / "no such folder" / "out.raw").c_str(), 1);
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  Run(200);
  setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEADDED, 0);
  input().PumpEvents();
  PlayMarker();
  ASSERT_TRUE(Record(0.5)) << "the device that came was not opened";
  ExpectTheTuneFromItsStartWithTheMarker(Finish());
}

}  // namespace
}  // namespace talvessa
