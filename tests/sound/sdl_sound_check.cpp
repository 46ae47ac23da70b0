// The real sound backend, listened to: SDL's disk driver writes the mix to a file in real time
// (44100 frames a second, 16-bit, stereo), and each test reads it back once the platform is closed.
// Every test makes its own media, opens the platform, plays for a second or so of wall time and
// closes it again.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "media_files.h"
#include "platform/sdl/sdl_platform.h"
#include "scratch_folder.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::kSampleRate;
using testing::OneNoteTune;
using testing::ToneWave;

constexpr std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate); }
constexpr double kSineRms = 0.70710678;  // of a sine of amplitude 1
// A tone is heard at its own level, within the rounding of its samples and the edges of the windows.
constexpr double kLevelTolerance = 0.03;
// Where a sound starts or ends in the file can be off by the few near-zero samples of a sine.
constexpr std::size_t kEdgeFrames = 40;

// The mix as the disk driver wrote it.
class Recording {
 public:
  explicit Recording(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::int16_t pair[2];
    while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) {
      left_.push_back(pair[0]);
      right_.push_back(pair[1]);
    }
  }

  std::size_t frames() const { return left_.size(); }
  // The first frame that is not silent, or frames() when none is.
  std::size_t SoundStart() const {
    std::size_t frame = 0;
    while (frame < frames() && Silent(frame)) ++frame;
    return frame;
  }
  // One past the last frame that is not silent, or 0 when none is.
  std::size_t SoundEnd() const {
    std::size_t end = frames();
    while (end > 0 && Silent(end - 1)) --end;
    return end;
  }
  bool AllSilent() const { return SoundEnd() == 0; }
  // The most frames in a row that are silent within [from, to).
  std::size_t LongestSilence(std::size_t from, std::size_t to) const {
    std::size_t run = 0;
    std::size_t longest = 0;
    for (std::size_t frame = from; frame < to; ++frame) {
      run = Silent(frame) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  }
  // The level of both channels over frames [from, to), as a share of full scale.
  double Rms(std::size_t from, std::size_t to) const {
    double sum = 0;
    for (std::size_t frame = from; frame < to; ++frame) {
      const double left = left_[frame];
      const double right = right_[frame];
      sum += left * left + right * right;
    }
    return to > from ? std::sqrt(sum / (2.0 * static_cast<double>(to - from))) / 32768.0 : 0.0;
  }
  double Seconds(std::size_t frames) const { return static_cast<double>(frames) / kSampleRate; }

 private:
  bool Silent(std::size_t frame) const { return left_[frame] == 0 && right_[frame] == 0; }

  std::vector<std::int16_t> left_;
  std::vector<std::int16_t> right_;
};

class SdlSoundListening : public ::testing::Test {
 protected:
  void SetUp() override {
    // The offscreen driver is taken because it is asked for by name.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
  }

  std::filesystem::path output() const { return scratch_.path() / "out.raw"; }

  // Tests call it under ASSERT_NO_FATAL_FAILURE: without a platform there is nothing to go on with.
  void Open(const SdlPlatformOptions& options = {}) {
    std::string error;
    platform_ = SdlPlatform::Open(options, error);
    ASSERT_NE(platform_, nullptr) << error;
  }

  // Lets the mixer play for `ms` of wall time while window events are pumped, as the game's frames do.
  void Run(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      platform_->Services().input.PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Closes the platform, which closes the file, and reads what was played.
  Recording Finish() {
    platform_.reset();
    return Recording(output());
  }

  // The path the game hands over for an effect or tune `name` of the data folder of `programFolder`.
  std::string Media(const std::string& name, const std::string& programFolder = "game") const {
    return (scratch_.path() / programFolder / "da" / name).string();
  }
  std::string WriteMedia(const std::string& file, const Bytes& bytes,
                         const std::string& programFolder = "game") const {
    return scratch_.Write(std::filesystem::path(programFolder) / "da" / file, bytes);
  }

  // A tenth of a second at half scale from a folder of its own, played after a broken medium to show
  // that the device was listening; it must then be all that was heard.
  void PlayControlEffect() {
    if (control_.empty()) control_ = WriteMedia("se1.wav", ToneWave(0.1, 0.5), "control");
    platform_->Services().audio.PlayEffect(Media("se1", "control"));
  }
  static void ExpectOnlyTheControlEffect(const Recording& heard) {
    const std::size_t start = heard.SoundStart();
    const std::size_t end = heard.SoundEnd();
    ASSERT_LT(start, end) << "not even the control effect was heard";
    EXPECT_NEAR(end - start, Frames(0.1), kEdgeFrames);
    EXPECT_NEAR(heard.Rms(start, end), 0.5 * kSineRms, kLevelTolerance);
  }

  testing::ScratchFolder scratch_;
  std::unique_ptr<SdlPlatform> platform_;
  std::string control_;
};

TEST_F(SdlSoundListening, AnEffectSoundsForItsLengthAtItsLevelThenFallsSilent) {
  WriteMedia("se0.wav", ToneWave(0.3, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  Run(100);
  platform_->Services().audio.PlayEffect(Media("se0"));
  Run(900);
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_LT(start, end) << "nothing was heard in " << heard.Seconds(heard.frames()) << " s";
  EXPECT_NEAR(end - start, Frames(0.3), kEdgeFrames);
  EXPECT_NEAR(heard.Rms(start, end), 0.5 * kSineRms, kLevelTolerance);
  EXPECT_GT(heard.frames() - end, Frames(0.3)) << "the recording should go on well past the effect";
}

TEST_F(SdlSoundListening, ANewEffectCutsTheOnePlaying) {
  WriteMedia("se8.wav", ToneWave(2.0, 0.25));
  WriteMedia("se6.wav", ToneWave(0.2, 0.75, 660.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se8"));
  Run(300);
  platform_->Services().audio.PlayEffect(Media("se6"));
  Run(700);
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_GT(end, start + Frames(0.3));
  EXPECT_NEAR(heard.Rms(start, start + Frames(0.1)), 0.25 * kSineRms, kLevelTolerance) << "the long tone";
  EXPECT_NEAR(heard.Rms(end - Frames(0.2) + kEdgeFrames, end), 0.75 * kSineRms, kLevelTolerance)
      << "the short tone, played to its end";
  // The long tone would sound for two seconds; the file goes on in silence well before that.
  EXPECT_LT(heard.Seconds(end - start), 1.0);
  EXPECT_GT(heard.frames() - end, Frames(0.2));
}

TEST_F(SdlSoundListening, SilencingCutsTheEffect) {
  WriteMedia("se2.wav", ToneWave(2.0, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se2"));
  Run(300);
  platform_->Services().audio.SilenceEffects();
  Run(500);
  const Recording heard = Finish();

  ASSERT_FALSE(heard.AllSilent());
  EXPECT_LT(heard.Seconds(heard.SoundEnd() - heard.SoundStart()), 0.7);
  EXPECT_GT(heard.frames() - heard.SoundEnd(), Frames(0.3));
}

TEST_F(SdlSoundListening, TheTunePlaysLoopsAndStopsAtOnce) {
  // A short note at the start of a tune of 0.6 s: each pass begins loud after a quiet end.
  WriteMedia("bg1.mid", OneNoteTune(0.15, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Playing);
  Run(1000);
  platform_->Services().audio.StopMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Stopped);
  Run(300);
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  ASSERT_GT(heard.frames(), start + Frames(0.9)) << "the tune was not heard in time";
  const double firstNote = heard.Rms(start, start + Frames(0.15));
  EXPECT_GT(firstNote, 0.02);
  const double quietEnd = heard.Rms(start + Frames(0.45), start + Frames(0.58));
  const double secondPass = heard.Rms(start + Frames(0.62), start + Frames(0.75));
  EXPECT_GT(secondPass, 10 * quietEnd) << "the tune did not start again at its end";
  EXPECT_GT(heard.frames() - heard.SoundEnd(), Frames(0.2)) << "the tune went on after it was stopped";
}

TEST_F(SdlSoundListening, AClosedTuneOpensAgainAndPlays) {
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  for (int game = 0; game < 2; ++game) {
    platform_->Services().audio.OpenMusic(Media("bg1.mid"));
    platform_->Services().audio.PlayMusic();
    Run(300);
    platform_->Services().audio.StopMusic();
    platform_->Services().audio.CloseMusic();
    EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::NotOpen);
    Run(300);
  }
  const Recording heard = Finish();

  // Two stretches of sound with silence between them.
  const std::size_t start = heard.SoundStart();
  const std::size_t end = heard.SoundEnd();
  ASSERT_LT(start, end);
  EXPECT_GT(heard.LongestSilence(start, end), Frames(0.2));
  EXPECT_GT(heard.Rms(end - Frames(0.2), end), 0.02) << "the second game's tune";
}

TEST_F(SdlSoundListening, AFolderNamedWithBlanksAndOtherLettersPlays) {
  const std::string folder = "dir with blanks/日本語 フォルダ";
  WriteMedia("se0.wav", ToneWave(0.2, 0.5), folder);
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0), folder);
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se0", folder));
  Run(300);
  platform_->Services().audio.OpenMusic(Media("bg1.mid", folder));
  platform_->Services().audio.PlayMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Playing);
  Run(600);
  const Recording heard = Finish();

  const std::size_t start = heard.SoundStart();
  ASSERT_GT(heard.frames(), start + Frames(0.8));
  EXPECT_NEAR(heard.Rms(start, start + Frames(0.2)), 0.5 * kSineRms, kLevelTolerance) << "the effect";
  EXPECT_GT(heard.Rms(start + Frames(0.3), heard.frames()), 0.02) << "the tune";
}

TEST_F(SdlSoundListening, ABrokenEffectIsRememberedAndNotReadAgain) {
  WriteMedia("se3.wav", Bytes(2000, 0x55));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se3"));
  Run(100);
  // Mended while the game runs: the game plays on without it rather than read it at every rescue.
  WriteMedia("se3.wav", ToneWave(0.2, 0.5));
  platform_->Services().audio.PlayEffect(Media("se3"));
  Run(300);
  PlayControlEffect();
  Run(300);
  ExpectOnlyTheControlEffect(Finish());
}

TEST_F(SdlSoundListening, WithoutItsSoundBankTheTuneStaysClosed) {
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open({.soundFont = (scratch_.path() / "no such bank.sf2").string()}));
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  Run(300);
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::NotOpen);
  PlayControlEffect();
  Run(300);
  ExpectOnlyTheControlEffect(Finish());
}

TEST_F(SdlSoundListening, WithoutADeviceEverythingIsSilentAndHarmless) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se0"));
  platform_->Services().audio.SilenceEffects();
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::NotOpen);
  platform_->Services().audio.SeekMusicToStart();
  platform_->Services().audio.StopMusic();
  platform_->Services().audio.CloseMusic();
  EXPECT_EQ(platform_->Services().input.PumpEvents(), PumpResult::Running);
  platform_.reset();
  EXPECT_FALSE(std::filesystem::exists(output())) << "the disk driver was not asked for";
}

// A new device records from the moment it opens, while the tune's sound bank is still loading (about
// 0.15 s, longer on a busy machine): the tune is heard within this of the recording's start.
constexpr double kTuneReopenSeconds = 0.4;

// SDL tells of output devices coming and going through the event queue, as a window event would come.
void AnnounceDevice(Uint32 type, Uint32 which) {
  SDL_Event event{};
  event.adevice.type = type;
  event.adevice.which = which;
  event.adevice.iscapture = 0;
  SDL_PushEvent(&event);
}

TEST_F(SdlSoundListening, LosingTheDeviceSilencesThePlayAndTheNextDeviceBringsTheTuneBack) {
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  WriteMedia("se0.wav", ToneWave(0.2, 0.5));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  Run(500);
  // Another device, never opened, goes away: nothing changes.
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 0);
  Run(300);
  // Ours goes: the game plays on, the tune playing as far as it can tell, an effect harmless.
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 2);
  Run(50);
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Playing);
  platform_->Services().audio.PlayEffect(Media("se0"));
  platform_->Services().audio.SeekMusicToStart();
  Run(300);
  const auto after = scratch_.path() / "after.raw";
  setenv("SDL_DISKAUDIOFILE", after.c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEADDED, 0);
  Run(700);
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Playing);
  const Recording before = Finish();
  const Recording back(after);

  // The first device heard the tune until it went, 0.8 s in, and nothing after.
  EXPECT_GT(before.frames(), Frames(0.7));
  EXPECT_LT(before.frames(), Frames(1.0)) << "the mixer went on with the lost device";
  EXPECT_LT(before.SoundStart(), Frames(0.2));
  // The next one hears the tune again from its beginning.
  ASSERT_GT(back.frames(), Frames(0.5)) << "the returning device was not opened";
  EXPECT_LT(back.SoundStart(), Frames(kTuneReopenSeconds));
  EXPECT_GT(back.Rms(back.SoundStart(), back.SoundStart() + Frames(0.25)), 0.02);
}

TEST_F(SdlSoundListening, AfterALossTheGameLooksForADeviceItselfWhenNoneIsAnnounced) {
  // A sound server that restarts announces no device: the game must find it by looking again.
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  Run(300);
  const auto after = scratch_.path() / "after.raw";
  setenv("SDL_DISKAUDIOFILE", after.c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEREMOVED, 2);
  Run(700);
  EXPECT_FALSE(std::filesystem::exists(after)) << "looked again sooner than a second after the loss";
  Run(1000);
  const Recording before = Finish();
  const Recording back(after);
  EXPECT_LT(before.frames(), Frames(0.5));
  ASSERT_GT(back.frames(), Frames(0.5)) << "no device was looked for";
  EXPECT_LT(back.SoundStart(), Frames(kTuneReopenSeconds));
}

TEST_F(SdlSoundListening, WithNoDeviceAtStartTheSoundComesWithTheFirstDevice) {
  // The disk device cannot open while its file cannot be written.
  setenv("SDL_DISKAUDIOFILE", (scratch_.path() / "no such folder" / "out.raw").c_str(), 1);
  WriteMedia("bg1.mid", OneNoteTune(0.3, 0.6));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::Playing);
  Run(200);
  setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
  AnnounceDevice(SDL_AUDIODEVICEADDED, 0);
  Run(700);
  const Recording heard = Finish();
  ASSERT_GT(heard.frames(), Frames(0.5)) << "the device that came was not opened";
  EXPECT_LT(heard.SoundStart(), Frames(kTuneReopenSeconds));
}

// Something broken where an effect or the tune should be.
struct BrokenMedium {
  std::string name;
  std::function<void(const std::filesystem::path& file)> make;
};

void Put(const std::filesystem::path& file, const Bytes& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

BrokenMedium Holding(std::string name, Bytes bytes) {
  return {std::move(name), [bytes](const std::filesystem::path& file) { Put(file, bytes); }};
}

Bytes Noise(std::size_t size) {
  std::mt19937 random(7);
  Bytes noise(size);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
  return noise;
}

Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// The ways any medium can be broken, whatever it holds.
std::vector<BrokenMedium> AnyMediumBroken() {
  return {
      {"NoDataFolder", [](const std::filesystem::path&) {}},
      {"NoFile",
       [](const std::filesystem::path& file) { std::filesystem::create_directories(file.parent_path()); }},
      Holding("Empty", {}),
      Holding("Noise", Noise(3000)),
      {"AFolder", [](const std::filesystem::path& file) { std::filesystem::create_directories(file); }},
      {"APipe",
       [](const std::filesystem::path& file) {
         std::filesystem::create_directories(file.parent_path());
         ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
       }},
  };
}

std::vector<BrokenMedium> BrokenEffects() {
  const Bytes tone = ToneWave(0.5, 0.5);
  std::vector<BrokenMedium> cases = AnyMediumBroken();
  cases.push_back(Holding("HeaderOnly", Cut(tone, 44)));
  cases.push_back(Holding("CutInHalf", Cut(tone, tone.size() / 2)));
  cases.push_back(Holding("CutInTheHeader", Cut(tone, 30)));
  cases.push_back(Holding("ATune", OneNoteTune(0.5, 0.5)));
  return cases;
}

std::vector<BrokenMedium> BrokenTunes() {
  const Bytes tune = OneNoteTune(1.0, 1.0);
  testing::TuneTrack instant;
  instant.At(0, {0x90, 60, 100}).At(0, {0x80, 60, 0}).End();
  testing::TuneTrack held;
  held.At(0, {0x90, 60, 100}).At(testing::kTicksPerSecond, {0x80, 60, 0}).End();
  testing::TuneTrack noteless;
  noteless.At(0, {0xC0, 0}).End(testing::kTicksPerSecond);
  std::vector<BrokenMedium> cases = AnyMediumBroken();
  cases.push_back(Holding("HeaderOnly", Cut(tune, 14)));
  cases.push_back(Holding("CutInTheTrack", Cut(tune, tune.size() - 6)));
  cases.push_back(Holding("LastingNoTime", testing::TuneFile({instant})));
  cases.push_back(Holding("StrikingNoNote", testing::TuneFile({noteless})));
  cases.push_back(Holding("TimedInFrames", testing::TuneFile({held}, {.division = 0xE728})));
  cases.push_back(Holding("AWave", ToneWave(0.5, 0.5)));
  return cases;
}

// Test names and failure messages show the case by its name.
void PrintTo(const BrokenMedium& medium, std::ostream* out) { *out << medium.name; }
std::string CaseName(const ::testing::TestParamInfo<BrokenMedium>& info) { return info.param.name; }

class BrokenEffect : public SdlSoundListening, public ::testing::WithParamInterface<BrokenMedium> {};

TEST_P(BrokenEffect, IsNotHeard) {
  ASSERT_NO_FATAL_FAILURE(GetParam().make(Media("se0.wav")));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.PlayEffect(Media("se0"));
  Run(300);
  PlayControlEffect();
  Run(300);
  ExpectOnlyTheControlEffect(Finish());
}

INSTANTIATE_TEST_SUITE_P(SdlSound, BrokenEffect, ::testing::ValuesIn(BrokenEffects()), CaseName);

class BrokenTune : public SdlSoundListening, public ::testing::WithParamInterface<BrokenMedium> {};

TEST_P(BrokenTune, IsRefusedAtOpenAndNotHeard) {
  ASSERT_NO_FATAL_FAILURE(GetParam().make(Media("bg1.mid")));
  ASSERT_NO_FATAL_FAILURE(Open());
  platform_->Services().audio.OpenMusic(Media("bg1.mid"));
  platform_->Services().audio.PlayMusic();
  EXPECT_EQ(platform_->Services().audio.MusicStatus(), MusicMode::NotOpen);
  Run(300);
  PlayControlEffect();
  Run(300);
  ExpectOnlyTheControlEffect(Finish());
}

INSTANTIATE_TEST_SUITE_P(SdlSound, BrokenTune, ::testing::ValuesIn(BrokenTunes()), CaseName);

}  // namespace
}  // namespace talvessa
