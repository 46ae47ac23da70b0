// Broken effects and tunes, and a missing or lacking sound bank, through the real sound backend: nothing
// of them is heard, no call is held, and the device goes on playing what is whole.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "listening.h"

namespace talvessa {
namespace {

using namespace testing;  // NOLINT: the helpers of these checks

// Something broken where an effect (se0) or the tune (bg1) should be.
struct BrokenMedium {
  std::string name;
  bool tune;
  std::function<void(const std::filesystem::path& file)> make;
};

void PrintTo(const BrokenMedium& medium, std::ostream* out) { *out << medium.name; }

void Put(const std::filesystem::path& file, const Bytes& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
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
  const auto folder = [](const std::filesystem::path& file) { std::filesystem::create_directories(file); };
  const auto pipe = [](const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  };
  const std::vector<std::pair<std::string, Bytes>> holding = {
      {"EffectEmpty", {}},
      {"EffectNoise", noise},
      {"EffectHeaderOnly", Cut(tone, 44)},
      {"EffectCutInHalf", Cut(tone, tone.size() / 2)},
      {"EffectCutInTheHeader", Cut(tone, 30)},
      {"EffectATune", OneNoteTune(0.5, 0.5)},
      // 16 MB at 8 kHz, 8-bit mono: the mixer would make 560 MB of it at its own rate and format.
      {"EffectOfHalfAnHour", WaveFile({WaveFormat(1, 1, 8000, 8), {"data", Bytes(16'000'000, 0x80)}})},
      {"TuneEmpty", {}},
      {"TuneNoise", noise},
      {"TuneHeaderOnly", Cut(tune, 14)},
      {"TuneCutInTheTrack", Cut(tune, tune.size() - 6)},
      {"TuneLastingNoTime", TuneFile({instant})},
      {"TuneStrikingNoNote", TuneFile({noteless})},
      {"TuneTimedInFrames", TuneFile({held}, {.division = 0xE728})},
      {"TuneAWave", ToneWave(0.5, 0.5)},
  };
  std::vector<BrokenMedium> cases;
  for (const bool isTune : {false, true}) {
    const std::string kind = isTune ? "Tune" : "Effect";
    cases.push_back({kind + "NoDataFolder", isTune, [](const std::filesystem::path&) {}});
    cases.push_back({kind + "NoFile", isTune, [folder](const auto& file) { folder(file.parent_path()); }});
    cases.push_back({kind + "AFolder", isTune, folder});
    cases.push_back({kind + "APipe", isTune, pipe});
  }
  for (const auto& [name, bytes] : holding)
    cases.push_back({name, name.starts_with("Tune"), [bytes](const auto& file) { Put(file, bytes); }});
  return cases;
}

// The memory the process holds, in bytes.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

class Broken : public SdlSoundListening, public ::testing::WithParamInterface<BrokenMedium> {};

TEST_P(Broken, IsNotHeardNorHoldsTheGame) {
  const BrokenMedium& broken = GetParam();
  ASSERT_NO_FATAL_FAILURE(broken.make(Media(broken.tune ? "bg1.mid" : "se0.wav")));
  ASSERT_NO_FATAL_FAILURE(Open());
  const std::size_t before = ResidentBytes();
  double worstMs = 0;
  const auto timed = [&](const std::function<void()>& call) { worstMs = std::max(worstMs, Ms(call)); };
  if (broken.tune) {
    timed([&] { PlayTune(Media("bg1.mid")); });
    EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen) << "not refused at open";
  } else {
    timed([&] { audio().PlayEffect(Media("se0")); });
  }
  ASSERT_TRUE(Record(0.1));
  if (!broken.tune) {
    // Mended while the game runs: the game plays on without it rather than read it at every rescue.
    std::filesystem::remove_all(Media("se0.wav"));
    WriteMedia("se0.wav", ToneWave(0.2, 0.5));
    timed([&] { audio().PlayEffect(Media("se0")); });
  }
  ASSERT_TRUE(Record(0.2));
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  EXPECT_LT(worstMs, kHeldMs);
  // A file is read once, and let go.
  EXPECT_LT(ResidentBytes(), before + (100u << 20));
  ExpectOnlyTheControlEffect(Finish());
}

INSTANTIATE_TEST_SUITE_P(SdlSound, Broken, ::testing::ValuesIn(BrokenMedia()),
                         [](const auto& info) { return info.param.name; });

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
}  // namespace talvessa
