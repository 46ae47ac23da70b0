// The tune rendered once and looped from memory: the same samples as SDL_mixer's own player made of it,
// a later pass that carries the last notes of the one before and goes on without a click, and a tune too
// long to keep that loops what memory holds.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "listening.h"
#include "platform/sdl/rendered_tune.h"
#include "platform/sdl/sdl_sound_media.h"

namespace talvessa {
namespace {

using testing::Frames;
using testing::kTicksPerSecond;
using testing::Recording;
using testing::SdlSoundListening;

constexpr const char* kBank = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kRate = testing::kSampleRate;
// SDL_mixer's gain of the synthesiser at the full volume of its music.
constexpr float kFullGain = 1.2f;

// Frames [at, at + count) of a pass, once the render has made them all.
std::vector<std::int16_t> ReadPass(const RenderedTune& tune, bool first, std::size_t at, std::size_t count) {
  std::vector<std::int16_t> out(2 * count);
  const auto limit = std::chrono::steady_clock::now() + testing::kPatience;
  while (tune.Read(first, at, count, out.data()) < count && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(tune.Read(first, at, count, out.data()), count) << "the render did not get there in time";
  return out;
}

std::size_t AwaitPass(const RenderedTune& tune) {
  const auto limit = std::chrono::steady_clock::now() + testing::kPatience;
  while (tune.PassFrames() == 0 && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return tune.PassFrames();
}

double Rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = 2 * from; i < 2 * to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(2 * (to - from))) / 32768.0;
}

// The largest step between two neighbouring samples of either channel in frames [from, to).
int LargestStep(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  int largest = 0;
  for (std::size_t i = 2 * from + 2; i < 2 * to; ++i)
    largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
  return largest;
}

TEST_F(SdlSoundListening, TheGamesTuneIsTheSamplesSdlMixersOwnPlayerMadeOfIt) {
  const std::string tune = std::string(TALVESSA_SOURCE_DIR) + "/assets/da/bg1.mid";
  // SDL_mixer's player, as the game played the tune before, at full volume.
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  ASSERT_EQ(Mix_OpenAudio(kRate, MIX_DEFAULT_FORMAT, 2, 1024), 0);
  Mix_SetSoundFonts(kBank);
  Mix_Music* music = Mix_LoadMUS(tune.c_str());
  ASSERT_NE(music, nullptr) << Mix_GetError();
  Mix_VolumeMusic(MIX_MAX_VOLUME);
  Mix_PlayMusic(music, 1);
  // The tune's first note comes some way into the recording: the device ran before the tune started.
  const std::size_t wanted = Frames(1.5);
  const auto limit = std::chrono::steady_clock::now() + testing::kPatience;
  while (testing::RecordedFrames(output()) < wanted + Frames(2.0) &&
         std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Mix_HaltMusic();
  Mix_FreeMusic(music);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  const Recording heard(output());
  const std::size_t start = heard.SoundStart();
  ASSERT_GE(heard.frames(), start + wanted);

  const auto bytes = ReadMediaFile(tune);
  ASSERT_TRUE(bytes);
  const auto rendered = RenderedTune::Start(*bytes, kBank, kRate, kFullGain);
  ASSERT_NE(rendered, nullptr);
  const std::vector<std::int16_t> ours = ReadPass(*rendered, true, 0, start + wanted);
  std::size_t ourStart = 0;
  while (ourStart < start + wanted && ours[2 * ourStart] == 0 && ours[2 * ourStart + 1] == 0) ++ourStart;
  std::size_t same = 0;
  for (std::size_t f = 0; f < wanted - ourStart; ++f) {
    same += heard.left(start + f) == ours[2 * (ourStart + f)] &&
            heard.right(start + f) == ours[2 * (ourStart + f) + 1];
  }
  EXPECT_EQ(same, wanted - ourStart) << "of the first " << wanted - ourStart << " frames of the tune";
}

TEST(RenderedTune, ALaterPassCarriesTheLastNotesOfTheOneBeforeAndGoesOnWithoutAClick) {
  // Four seconds: half a second of silence, a note, and a last note held to the very end.
  testing::TuneTrack track;
  track.At(0, {0xC0, 0})
      .At(kTicksPerSecond / 2, {0x90, 60, 100})
      .At(kTicksPerSecond, {0x80, 60, 0})
      .At(kTicksPerSecond, {0x90, 67, 100})
      .At(3 * kTicksPerSecond / 2, {0x80, 67, 0})
      .End();
  const auto tune = RenderedTune::Start(testing::TuneFile({track}, {.format = 0}), kBank, kRate, kFullGain);
  ASSERT_NE(tune, nullptr);
  const std::size_t pass = AwaitPass(*tune);
  EXPECT_NEAR(static_cast<double>(pass), 4.0 * kRate, 64.0);
  ASSERT_GT(pass, Frames(3.5));
  const std::vector<std::int16_t> first = ReadPass(*tune, true, 0, pass);
  const std::vector<std::int16_t> later = ReadPass(*tune, false, 0, pass);

  // Silence, but for the synthesiser's dither of a bit.
  EXPECT_LT(Rms(first, 0, Frames(0.2)), 0.0001) << "the first pass starts in silence";
  EXPECT_GT(Rms(later, 0, Frames(0.2)), 0.001) << "a later pass starts with the last note of the one before";
  // The note at half a second sounds in every pass alike.
  EXPECT_NEAR(Rms(later, Frames(0.6), Frames(1.4)), Rms(first, Frames(0.6), Frames(1.4)), 0.002);
  // From three seconds on, a later pass is the first pass's rest; no step in the samples where it goes
  // over to it is larger than the notes make themselves.
  for (std::size_t f = Frames(3.0); f < pass; f += 997) {
    ASSERT_EQ(later[2 * f], first[2 * f]) << f;
  }
  EXPECT_LE(LargestStep(later, Frames(2.9), Frames(3.1)), LargestStep(first, Frames(2.9), Frames(3.1)) + 64);
}

TEST(RenderedTune, ATuneLongerThanMemoryHoldsLoopsItsFirstMinutes) {
  // A note, then nearly an hour of nothing at the slowest tempo a tune may have.
  testing::TuneTrack track;
  track.At(0, {0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF})
      .At(0, {0xC0, 0})
      .At(0, {0x90, 60, 100})
      .At(kTicksPerSecond / 4, {0x80, 60, 0})
      .End(100 * kTicksPerSecond);
  const auto tune = RenderedTune::Start(testing::TuneFile({track}, {.format = 0}), kBank, kRate, kFullGain);
  ASSERT_NE(tune, nullptr);
  const auto longest = static_cast<double>(RenderedTune::kLongestPassSeconds) * kRate;
  const auto limit = std::chrono::steady_clock::now() + 3 * testing::kPatience;
  while (tune->PassFrames() == 0 && std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NEAR(static_cast<double>(tune->PassFrames()), longest, 1024.0);
  EXPECT_FALSE(tune->Ends());
  const std::vector<std::int16_t> later = ReadPass(*tune, false, 0, Frames(0.5));
  EXPECT_GT(Rms(later, 0, Frames(0.5)), 0.001) << "the tune's note again";
}

}  // namespace
}  // namespace talvessa
