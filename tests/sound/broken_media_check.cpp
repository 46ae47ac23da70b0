// Broken effects and tunes, and a missing sound bank, through the real sound backend: nothing of them is
// heard, and the device goes on playing what is whole.
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

using testing::Bytes;
using testing::OneNoteTune;
using testing::SdlSoundListening;
using testing::ToneWave;

TEST_F(SdlSoundListening, ABrokenEffectIsRememberedAndNotReadAgain) {
  WriteMedia("se3.wav", Bytes(2000, 0x55));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().PlayEffect(Media("se3"));
  ASSERT_TRUE(Record(0.1));
  // Mended while the game runs: the game plays on without it rather than read it at every rescue.
  WriteMedia("se3.wav", ToneWave(0.2, 0.5));
  audio().PlayEffect(Media("se3"));
  ASSERT_TRUE(Record(0.3));
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
}

TEST_F(SdlSoundListening, WithoutItsSoundBankTheTuneStaysClosed) {
  WriteMedia("bg1.mid", OneNoteTune(1.0, 1.0));
  ASSERT_NO_FATAL_FAILURE(Open({.soundFont = (scratch_.path() / "no such bank.sf2").string()}));
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  ASSERT_TRUE(Record(0.3));
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
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
  audio().PlayEffect(Media("se0"));
  ASSERT_TRUE(Record(0.3));
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
}

INSTANTIATE_TEST_SUITE_P(SdlSound, BrokenEffect, ::testing::ValuesIn(BrokenEffects()), CaseName);

class BrokenTune : public SdlSoundListening, public ::testing::WithParamInterface<BrokenMedium> {};

TEST_P(BrokenTune, IsRefusedAtOpenAndNotHeard) {
  ASSERT_NO_FATAL_FAILURE(GetParam().make(Media("bg1.mid")));
  ASSERT_NO_FATAL_FAILURE(Open());
  audio().OpenMusic(Media("bg1.mid"));
  audio().PlayMusic();
  EXPECT_EQ(audio().MusicStatus(), MusicMode::NotOpen);
  ASSERT_TRUE(Record(0.3));
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  ExpectOnlyTheControlEffect(Finish());
}

INSTANTIATE_TEST_SUITE_P(SdlSound, BrokenTune, ::testing::ValuesIn(BrokenTunes()), CaseName);

}  // namespace
}  // namespace talvessa
