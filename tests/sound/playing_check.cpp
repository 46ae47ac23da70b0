// Effects and the tune played through the real sound backend: their lengths, levels, cuts, loops, the
// player's volume, and sound devices coming and going.
#include <SDL.h>

#include "formats/media_checks.h"
#include "listening.h"
#include "platform/audio.h"

namespace talvessa::testing {
namespace {

TEST_F(SdlSoundListening, EffectsSoundForTheirLengthAtTheirLevelAndAreCutByTheNextOrBySilence) {
  WriteMedia("se0.wav", ToneWave(0.3, 0.5));
  WriteMedia("se8.wav", ToneWave(2.0, 0.25));
  WriteMedia("se6.wav", ToneWave(0.2, 0.75, 660.0));
  WriteMedia("se2.wav", ToneWave(2.0, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(Record(0.3));
  // Read once the device opens, not in the frame of its first play: the file is gone by then.
  std::filesystem::remove(Media("se0.wav"));
  ASSERT_TRUE(Effects({{"se0", 0.9}, {"se8", 0.3}, {"se6", 0.7}, {"se2", 0.3}}));
  audio().SilenceEffects();
  ASSERT_TRUE(Record(0.5));
  const Recording heard = Finish();

  // A long tone not cut would join the next sound, or the end of the recording.
  const auto sounds = heard.Runs(0, Frames(0.1));
  ASSERT_EQ(sounds.size(), 3u) << "an effect was not heard, or went on into the next";
  EXPECT_NEAR(sounds[0].end - sounds[0].start, Frames(0.3), kEdgeFrames);
  EXPECT_NEAR(heard.Rms(sounds[0].start, sounds[0].end), 0.5 * kSineRms, kLevelTolerance);
  // The long tone, then the short one that cut it, to its end.
  const auto [start, end] = sounds[1];
  EXPECT_NEAR(heard.Rms(start, start + Frames(0.1)), 0.25 * kSineRms, kLevelTolerance) << "the long tone";
  EXPECT_NEAR(heard.Rms(end - Frames(0.2) + kEdgeFrames, end), 0.75 * kSineRms, kLevelTolerance)
      << "the short tone, played to its end";
  EXPECT_GT(heard.frames(), sounds[2].end + kEdgeFrames) << "the effect went on after it was silenced";
}

// Real effects that the loader plays: one written into a pipe, its sizes unknown when it was begun, and
// a long one of 6.5 s.
TEST_F(SdlSoundListening, AnEffectFromAPipeAndOneOfSixAndAHalfSecondsAreHeardWhole) {
  WriteMedia(
      "se3.wav",
      WithSizes(WaveFile({ExtensibleFormat(1, 1, kSampleRate, 16), ToneData(0.3, 0.5, 440, 1)}), 0x7ffff000));
  WriteMedia("se4.wav", ToneWave(6.5, 0.25));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(Record(0.3));  // the effects are read meanwhile
  ASSERT_TRUE(Effects({{"se3", 0.5}, {"se4", 6.7}}));
  const Recording heard = Finish();

  const auto sounds = heard.Runs(0, Frames(0.1));
  ASSERT_EQ(sounds.size(), 2u) << "an effect was not heard";
  EXPECT_NEAR(sounds[0].end - sounds[0].start, Frames(0.3), kEdgeFrames);
  EXPECT_NEAR(heard.Rms(sounds[0].start, sounds[0].end), 0.5 * kSineRms, kLevelTolerance);
  EXPECT_NEAR(sounds[1].end - sounds[1].start, Frames(6.5), kEdgeFrames);
  EXPECT_NEAR(heard.Rms(sounds[1].start, sounds[1].end), 0.25 * kSineRms, kLevelTolerance);
}

// Effects as large as an effect may be (95 s, 16 MB at the mix's format) take a while to read: an effect
// asked for meanwhile does not wait for them in the caller's frame, and sounds once they are read.
TEST_F(SdlSoundListening, AnEffectAskedForWhileTheEffectsAreReadHoldsNoFrameAndSoundsOnceTheyAre) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_TRUE(Record(0.2));
  std::vector<std::string> effects = {Media("se7", "marker")};
  for (const std::string name : {"se2", "se3"}) {
    WriteMedia(name + ".wav", WaveFile({PcmFormat(2), {"data", Bytes(95 * kSampleRate * 4, 0)}}));
    effects.push_back(Media(name));
  }
  platform_->Sound()->PrepareEffects(effects);
  const std::size_t asked = RecordedFrames(output());
  const double callMs = Ms([&] { PlayMarker(); });
  ASSERT_TRUE(PumpUntil([&] { return !Recording(output(), asked).Marks().empty(); }))
      << "the marker never sounded";
  const double heardAfterMs =
      1000.0 * static_cast<double>(Recording(output(), asked).Marks()[0].start) / kSampleRate;
  EXPECT_LT(callMs, heardAfterMs / 2) << "the call waited for the effects to be read";
}

TEST_F(SdlSoundListening, TheTunePlaysLoopsStopsAtOnceAndOpensAgainOnceClosed) {
  // A short note at the start of a tune of 0.6 s: each pass begins loud after a quiet end.
  WriteMedia("bg1.mid", OneNoteTune(0.15, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  PlayTune(Media("bg1.mid"));
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Playing);
  ASSERT_TRUE(Record(1.0));
  audio().StopMusic();
  PlayMarker();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::Stopped);
  ASSERT_TRUE(Record(0.3));
  audio().CloseMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  ASSERT_TRUE(Record(0.2));
  PlayTune(Media("bg1.mid"));  // the next game's
  ASSERT_TRUE(Record(0.3));
  const Recording heard = Finish();

  const std::size_t start = heard.Sound().start;
  const auto marks = heard.Marks();
  ASSERT_EQ(marks.size(), 1u);
  ASSERT_GT(marks[0].start, start + Frames(0.75)) << "the tune's second pass was not recorded";
  EXPECT_GT(heard.Rms(start, start + Frames(0.15)), kTuneHeard);
  const double quietEnd = heard.Rms(start + Frames(0.45), start + Frames(0.58));
  const double secondPass = heard.Rms(start + Frames(0.62), start + Frames(0.75));
  EXPECT_GT(secondPass, 10 * quietEnd) << "the tune did not start again at its end";
  // Played as the tune stopped, the marker is followed by silence where a third pass would be.
  const auto after = heard.Runs(0, Frames(0.1), marks[0].end + kEdgeFrames);
  ASSERT_FALSE(after.empty()) << "the next game's tune was not heard";
  EXPECT_GT(after[0].start, marks[0].start + Frames(0.4)) << "the tune went on after it was stopped";
  EXPECT_GT(heard.Rms(after[0].start, after[0].start + Frames(0.15)), kTuneHeard) << "the next game's tune";
}

TEST_F(SdlSoundListening, TheVolumeStepsEffectsAndTheTuneByThreeDecibelsAndZeroSilencesThem) {
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  // A church organ holds its note at one level, where a piano's would fade.
  TuneTrack organ;
  organ.At(0, {0xC0, 19}).At(0, {0x90, 60, 100}).At(3 * kTicksPerSecond, {0x80, 60, 0}).End();
  WriteMedia("bg1.mid", TuneFile({organ}, {.format = 0}));
  ASSERT_NO_FATAL_FAILURE(Open({.volume = kFullVolume - 2}));  // held from before anything plays
  ASSERT_TRUE(Effects({{"se0", 0.4}}));
  audio().SetVolume(0);
  ASSERT_TRUE(Effects({{"se0", 0.4}}));
  audio().SetVolume(kFullVolume);
  ASSERT_TRUE(Effects({{"se0", 0.4}}));
  PlayTune(Media("bg1.mid"));
  ASSERT_TRUE(AwaitSound());
  ASSERT_TRUE(Record(0.8));
  audio().SetVolume(kFullVolume - 2);
  ASSERT_TRUE(Record(0.8));
  audio().SetVolume(0);
  ASSERT_TRUE(Record(0.5));
  const Recording heard = Finish();

  // Two steps down are 6 dB, half the amplitude.
  const auto sounds = heard.Runs(0, Frames(0.1));
  ASSERT_GE(sounds.size(), 3u) << "the effect at volume 0 was heard, or another was not";
  EXPECT_NEAR(heard.Rms(sounds[0].start, sounds[0].end), 0.501 * 0.5 * kSineRms, kLevelTolerance);
  EXPECT_NEAR(heard.Rms(sounds[1].start, sounds[1].end), 0.5 * kSineRms, kLevelTolerance);
  EXPECT_GT(sounds[1].start, sounds[0].end + Frames(0.5)) << "the silent one lies between them";
  // The note's steady middle at full volume, then two steps down; both well within their stretches.
  const std::size_t tune = sounds[2].start;
  const double full = heard.Rms(tune + Frames(0.4), tune + Frames(0.7));
  ASSERT_GT(full, 0.0);
  EXPECT_NEAR(Dbfs(heard.Rms(tune + Frames(1.0), tune + Frames(1.3)) / full), -6.0, 1.5);
  // The synthesiser's dither may leave the lowest bit astir: silence is below -70 dBFS.
  EXPECT_LT(heard.Rms(heard.frames() - Frames(0.3), heard.frames()), 3e-4) << "volume 0 left the tune heard";
}

// As loud a tune as the check lets through: at each of 99 ticks, 1,000 strikes at full force of the 96
// notes it may hold, on twelve channels. Unlevelled, it played at -5.7 dBFS with its peaks at full scale.
TEST_F(SdlSoundListening, ATuneOfAThousandNotesATickPlaysNoLouderThanTheTuneMayInTheMix) {
  TuneTrack track;
  for (int tick = 0; tick < 99; ++tick) {
    for (int note = 0; note < 1000; ++note) {
      const auto channel = static_cast<std::uint8_t>(0x90 | (note % 96) / 8);
      track.At(note == 0 && tick > 0 ? 10 : 0, {channel, static_cast<std::uint8_t>(40 + note % 8 * 5), 127});
    }
  }
  const Bytes tune = TuneFile({track.End(kTicksPerSecond)});
  ASSERT_TRUE(IsPlayableTune(tune)) << "the check no longer lets the loudest tune through";
  WriteMedia("bg1.mid", tune);
  ASSERT_NO_FATAL_FAILURE(Open());
  PlayTune(Media("bg1.mid"));
  ASSERT_TRUE(AwaitSound());
  ASSERT_TRUE(Record(2.5));
  const Recording heard = Finish();

  const std::size_t start = heard.Sound().start;
  ASSERT_LT(start + Frames(1.0), heard.frames()) << "the tune was not heard for a second";
  const double loudest = heard.LoudestSecond(start, heard.frames(), Frames(0.1));
  EXPECT_LE(Dbfs(loudest), kTuneLoudestSecondDbfs + 0.1);
  EXPECT_LE(Dbfs(heard.Peak()), kTunePeakDbfs + 0.1);
  EXPECT_GT(Dbfs(loudest), kTuneLoudestSecondDbfs - 3) << "levelled far below what the tune may";
}

// Devices: none at all, none at start, one lost during play and one that comes back, announced or not.
// The game plays on silently without one and brings the tune back with the next.
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
  const std::size_t start = heard.Sound().start;
  const std::size_t noteEnd = start + Frames(0.25);
  ASSERT_LT(marks[0].end, noteEnd) << "the tune was not heard with the marker";
  const auto sound = heard.Runs(0, kEdgeFrames + 1, marks[0].end);  // parted by any silence but a sine's
  ASSERT_FALSE(sound.empty()) << "the tune's first note";
  EXPECT_LE(sound[0].start, marks[0].end + kEdgeFrames) << "the tune's first note came late";
  EXPECT_GE(sound[0].end + kEdgeFrames, noteEnd) << "the tune's first note broke off";
  EXPECT_GT(heard.Rms(marks[0].end, noteEnd), kTuneHeard) << "the tune's first note";
  // From its beginning, the tune's next pass comes loud after its quiet end.
  EXPECT_GT(heard.Rms(start + Frames(0.62), start + Frames(0.75)),
            5 * heard.Rms(start + Frames(0.5), start + Frames(0.58)))
      << "the tune did not start from its beginning";
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
  const auto arrive = [&](const std::string& file) {
    RecordTo(scratch_ / file);
    Announce(input(), SDL_AUDIODEVICEADDED, 0);
    PlayMarker();
    return scratch_ / file;
  };
  const auto first = arrive("first.raw");
  ASSERT_TRUE(Record(0.8, first)) << "the device that came was not opened";
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
  const auto second = arrive("second.raw");
  ASSERT_TRUE(Record(0.8, second)) << "the returning device was not opened";
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
  ASSERT_TRUE(Record(0.8, third));
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
}  // namespace talvessa::testing
