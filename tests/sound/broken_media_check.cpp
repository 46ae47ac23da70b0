// Broken effects and tunes, and a missing or lacking sound bank, through the real sound backend: nothing
// of them is heard, no call is held, and the device goes on playing what is whole.
#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <random>

#include "listening.h"

namespace talvessa::testing {
namespace {

// Something broken where an effect or the tune should be: a file holding `bytes`, or no plain file.
enum class Shape { kFile, kNoDataFolder, kNoFile, kFolder, kPipe };
struct BrokenMedium {
  std::string name;
  bool tune;
  Bytes bytes;
  Shape shape = Shape::kFile;
};

// A tenth of a second of float samples that are no numbers, or infinite: SDL's conversion made full-scale
// blasts of them.
Bytes NonFiniteWave() {
  Bytes samples;
  for (int i = 0; i < 4410; ++i) {
    const float sample = i % 3 == 0   ? std::numeric_limits<float>::quiet_NaN()
                         : i % 3 == 1 ? std::numeric_limits<float>::infinity()
                                      : -std::numeric_limits<float>::infinity();
    std::uint32_t bits = 0;
    std::memcpy(&bits, &sample, 4);
    PutLittle(samples, bits, 4);
  }
  return WaveFile({WaveFormat(3, 1, kSampleRate, 32), {"data", samples}});
}

std::vector<BrokenMedium> BrokenMedia() {
  std::mt19937 random(7);
  Bytes noise(3000);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
  const Bytes tone = ToneWave(0.5, 0.5);
  const Bytes tune = OneNoteTune(1.0, 1.0);
  TuneTrack instant;
  instant.At(0, {0x90, 60, 100}).At(0, {0x80, 60, 0}).End();
  TuneTrack held;
  held.At(0, {0x90, 60, 100}).At(kTicksPerSecond, {0x80, 60, 0}).End();
  TuneTrack noteless;
  noteless.At(0, {0xC0, 0}).End(kTicksPerSecond);
  std::vector<BrokenMedium> cases;
  for (const bool isTune : {false, true}) {
    const std::string kind = isTune ? "Tune" : "Effect";
    cases.insert(cases.end(), {{kind + "NoDataFolder", isTune, {}, Shape::kNoDataFolder},
                               {kind + "NoFile", isTune, {}, Shape::kNoFile},
                               {kind + "AFolder", isTune, {}, Shape::kFolder},
                               {kind + "APipe", isTune, {}, Shape::kPipe},
                               {kind + "Empty", isTune, {}},
                               {kind + "Noise", isTune, noise}});
  }
  cases.insert(
      cases.end(),
      {{"EffectHeaderOnly", false, Bytes(tone.begin(), tone.begin() + 44)},
       {"EffectCutInHalf", false, Bytes(tone.begin(), tone.begin() + tone.size() / 2)},
       {"EffectCutInTheHeader", false, Bytes(tone.begin(), tone.begin() + 30)},
       {"EffectATune", false, OneNoteTune(0.5, 0.5)},
       // 16 MB at 8 kHz, 8-bit mono: the mixer would make 560 MB of it at its own rate and format.
       {"EffectOfHalfAnHour", false,
        WaveFile({WaveFormat(1, 1, 8000, 8), {"data", Bytes(16'000'000, 0x80)}})},
       // 11 MB at SDL's reading of it (the first format: 8 kHz, 8-bit mono) last 46 minutes, 0.9 s
       // at the last format's.
       {"EffectOfTwoFormats", false,
        WaveFile(
            {WaveFormat(1, 1, 8000, 8), WaveFormat(1, 8, 192000, 64), {"data", Bytes(11'000'000, 0xC0)}})},
       {"EffectOfNonFiniteFloats", false, NonFiniteWave()},
       {"TuneHeaderOnly", true, Bytes(tune.begin(), tune.begin() + 14)},
       {"TuneCutInTheTrack", true, Bytes(tune.begin(), tune.end() - 6)},
       {"TuneLastingNoTime", true, TuneFile({instant})},
       {"TuneStrikingNoNote", true, TuneFile({noteless})},
       {"TuneTimedInFrames", true, TuneFile({held}, {.division = 0xE728})},
       {"TuneAWave", true, ToneWave(0.5, 0.5)}});
  return cases;
}

// The memory the process holds, in bytes.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST_F(SdlSoundListening, BrokenMediaAreNotHeardNorHoldTheGame) {
  // Each in a program folder of its own, where an effect se0 or the tune bg1 should be.
  const std::vector<BrokenMedium> cases = BrokenMedia();
  const auto path = [&](const BrokenMedium& broken) {
    return Media(broken.tune ? "bg1.mid" : "se0", broken.name);
  };
  std::vector<std::string> effects;
  for (const BrokenMedium& broken : cases) {
    const std::filesystem::path file = path(broken) + (broken.tune ? "" : ".wav");
    if (broken.shape != Shape::kNoDataFolder) std::filesystem::create_directories(file.parent_path());
    if (broken.shape == Shape::kFile) WriteMedia(file.filename(), broken.bytes, broken.name);
    if (broken.shape == Shape::kFolder) std::filesystem::create_directory(file);
    if (broken.shape == Shape::kPipe) {
      ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    }
    if (!broken.tune) effects.push_back(path(broken));
  }
  ASSERT_NO_FATAL_FAILURE(Open({}, effects));
  const std::size_t before = ResidentBytes();
  for (const bool mended : {false, true}) {
    for (const BrokenMedium& broken : cases) {
      if (mended && broken.tune) continue;
      const std::size_t from = RecordedFrames(output());
      EXPECT_LT(Ms([&] { broken.tune ? PlayTune(path(broken)) : audio().PlayEffect(path(broken)); }), kHeldMs)
          << broken.name;
      EXPECT_TRUE(!broken.tune || audio().MusicStatus() == MusicMode::NotOpen) << broken.name << " was taken";
      audio().CloseMusic();
      ASSERT_TRUE(Record(0.2));
      EXPECT_EQ(Recording(output(), from).Peak(), 0.0)
          << broken.name << (mended ? ", mended," : "") << " was heard";
      // Mended while the game runs: the game plays on without it rather than read it at every rescue.
      if (!broken.tune && !mended) {
        std::filesystem::remove_all(path(broken) + ".wav");
        WriteMedia("se0.wav", ToneWave(0.2, 0.5), broken.name);
      }
    }
  }
  // A file is read once, and let go.
  EXPECT_LT(ResidentBytes(), before + (100u << 20));
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
}

TEST_F(SdlSoundListening, WithoutItsSoundBankTheTuneStaysClosed) {
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open({.soundFont = (scratch_ / "no such bank.sf2").string()}));
  PlayTune(Media("bg1.mid"));
  ASSERT_TRUE(Record(0.3));
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
}

// Every program of a bank the sound bank does not have, on every channel: within what a tune may cost,
// but the synthesiser complains of each program as it stands in for it with another.
TEST_F(SdlSoundListening, TheSynthesiserSaysEachKindOfFaultOnce) {
  TuneTrack track;
  for (std::uint8_t channel = 0; channel < 16; ++channel) {
    track.At(0, {static_cast<std::uint8_t>(0xB0 | channel), 0, 100});
    for (std::uint8_t program = 0; program < 128; ++program)
      track.At(1, {static_cast<std::uint8_t>(0xC0 | channel), program});
  }
  track.At(0, {0x90, 60, 100}).At(kTicksPerSecond, {0x80, 60, 0});
  const std::string tune = WriteMedia("bg1.mid", TuneFile({track.End()}));
  ASSERT_NO_FATAL_FAILURE(Open());
  ::testing::internal::CaptureStderr();
  PlayTune(tune);
  const MusicMode status = audio().MusicStatus();
  const bool recorded = Record(0.8);
  platform_.reset();
  const std::size_t count = CapturedStderrLines();
  ASSERT_EQ(status, MusicMode::Playing);
  ASSERT_TRUE(recorded);
  EXPECT_GE(count, 1u) << "the synthesiser had nothing to say: the test tune no longer overloads it";
  EXPECT_LE(count, 3u);
}

}  // namespace
}  // namespace talvessa::testing
