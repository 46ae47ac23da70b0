// Sound devices through the real sound backend: none at all, none at start, one lost during play and one
// that comes back, announced or not. The game plays on silently without one and brings the tune back
// with the next.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "listening.h"

namespace talvessa {
namespace {

using namespace testing;  // NOLINT: the helpers of these checks

TEST_F(SdlSoundListening, WithoutADeviceEverythingIsSilentAndHarmless) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().PlayEffect(Media("se0"));
  audio().SilenceEffects();
  PlayTune(Media("bg1.mid"));
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  audio().SeekMusicToStart();
  audio().StopMusic();
  audio().CloseMusic();
  EXPECT_EQ(input().PumpEvents(), PumpResult::Running);
  platform_.reset();
  EXPECT_FALSE(std::filesystem::exists(output())) << "the disk driver was not asked for";
}

// SDL tells of output devices coming and going through the event queue, as a window event would come;
// `which` is 0 for a device never opened.
void Announce(Input& input, Uint32 type, Uint32 which) {
  SDL_Event event{};
  event.adevice.type = type;
  event.adevice.which = which;
  SDL_PushEvent(&event);
  input.PumpEvents();
}

// A device that comes while the tune plays starts the tune from its beginning at once: with a marker
// played as the device opened, the tune's first note (0.3 s) sounds on after the marker.
void ExpectTheTuneFromItsStartWithTheMarker(const Recording& heard, std::size_t markers = 1) {
  const auto marks = heard.Marks();
  ASSERT_EQ(marks.size(), markers) << "the device did not record every marker";
  const std::size_t noteEnd = heard.Sound().start + Frames(0.25);
  ASSERT_LT(marks[0].end, noteEnd) << "the tune was not heard with the marker";
  const auto sound = heard.Runs(0, kEdgeFrames + 1, marks[0].end);  // parted by any silence but a sine's
  ASSERT_FALSE(sound.empty()) << "the tune's first note";
  EXPECT_LE(sound[0].start, marks[0].end + kEdgeFrames) << "the tune's first note came late";
  EXPECT_GE(sound[0].end + kEdgeFrames, noteEnd) << "the tune's first note broke off";
  EXPECT_GT(heard.Rms(marks[0].end, noteEnd), kTuneHeard) << "the tune's first note";
}

TEST_F(SdlSoundListening, EachDeviceThatComesBringsTheTuneBackAndALostOneIsLetGo) {
  // The disk device cannot open while its file cannot be written: none at start.
  RecordTo(scratch_ / "no such folder" / "out.raw");
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  PlayTune(Media("bg1.mid"));
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  Run(200);
  // A device comes, recording to `file`, and a marker is played as it opens.
  const auto arrive = [&](const std::filesystem::path& file) {
    RecordTo(file);
    Announce(input(), SDL_AUDIODEVICEADDED, 0);
    PlayMarker();
  };
  const auto first = scratch_ / "first.raw";
  arrive(first);
  ASSERT_TRUE(Record(0.5, first)) << "the device that came was not opened";
  // Another device goes away: nothing changes, and the marker is heard on ours.
  Announce(input(), SDL_AUDIODEVICEREMOVED, 0);
  PlayMarker();
  ASSERT_TRUE(Record(0.3, first)) << "another device's going stopped ours";

  // Ours goes: the game plays on, the tune playing as far as it can tell, an effect harmless.
  Announce(input(), SDL_AUDIODEVICEREMOVED, 2);
  const std::size_t firstWhenLost = RecordedFrames(first);
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  audio().PlayEffect(Media("se0"));
  audio().SeekMusicToStart();
  Run(300);
  const auto second = scratch_ / "second.raw";
  arrive(second);
  ASSERT_TRUE(Record(0.7, second)) << "the returning device was not opened";
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);

  // A sound server that restarts announces no device: the game must find it by looking again.
  const auto third = scratch_ / "third.raw";
  RecordTo(third);
  Announce(input(), SDL_AUDIODEVICEREMOVED, 2);
  const auto lost = std::chrono::steady_clock::now();
  const std::size_t secondWhenLost = RecordedFrames(second);
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(third); })) << "no device was looked for";
  // The game waits a second by its own clock (whole milliseconds) before it looks. What the driver has
  // recorded since it opened dates the opening, as it records no faster than real time, give or take
  // two of its 1024-frame buffers.
  const double recorded = (std::max<double>(RecordedFrames(third), 2048) - 2048) / kSampleRate;
  const auto opened = std::chrono::steady_clock::now() - std::chrono::duration<double>(recorded);
  EXPECT_GE(opened - lost, std::chrono::milliseconds(998))
      << "looked again sooner than a second after the loss";
  PlayMarker();
  ASSERT_TRUE(Record(0.5, third));
  platform_.reset();

  const Recording heardFirst(first);
  ASSERT_NO_FATAL_FAILURE(ExpectTheTuneFromItsStartWithTheMarker(heardFirst, 2));
  EXPECT_GT(heardFirst.Sound().end, heardFirst.Marks()[1].end + kEdgeFrames)
      << "the tune stopped when another device went";
  EXPECT_EQ(heardFirst.frames(), firstWhenLost) << "the mixer went on with the lost device";
  EXPECT_EQ(RecordedFrames(second), secondWhenLost) << "the mixer went on with the lost device";
  ExpectTheTuneFromItsStartWithTheMarker(Recording(second));
  ExpectTheTuneFromItsStartWithTheMarker(Recording(third));
}

}  // namespace
}  // namespace talvessa
