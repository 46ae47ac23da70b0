// The real sound backend, listened to: SDL's disk driver writes the mix to a file in real time, and each
// test reads it back once the platform is closed. Every test makes its own media, opens the platform,
// plays for a second or so and closes it again.
//
// Waits are counted in recorded sound, not in wall time: on a busy machine the driver falls behind the
// clock, and what lies between two commands in the recording would shrink. What must come in an order is
// checked as an order, against other sounds or against markers played at the moment in question.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "media_files.h"
#include "platform/sdl/sdl_platform.h"
#include "recording.h"
#include "support/scratch_folder.h"

namespace talvessa::testing {

// A marker is a short tone louder than anything else the tests play (the tunes here peak near 0.09).
constexpr double kMarkerAmplitude = 0.9;
// A tune's notes are heard above this level: the tunes here, played at the mix's tune level (5 dB
// below the synthesiser's full gain), sound at 0.015 or more while a note lasts.
constexpr double kTuneHeard = 0.011;
constexpr double kMarkerLevel = 0.5;
// How long a wait may take on the busiest machine before the test gives up on it.
constexpr std::chrono::seconds kPatience{10};

// SDL tells of output devices coming and going through the event queue, as a window event would come.
inline void AnnounceDevice(Uint32 type, Uint32 which) {
  SDL_Event event{};
  event.adevice.type = type;
  event.adevice.which = which;
  event.adevice.iscapture = 0;
  SDL_PushEvent(&event);
}

class SdlSoundListening : public ::testing::Test {
 protected:
  void SetUp() override {
    // The offscreen driver is taken because it is asked for by name.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output().c_str(), 1);
  }

  std::filesystem::path output() const { return scratch_.path() / "out.raw"; }

  // Tests call it under ASSERT_NO_FATAL_FAILURE: without a platform there is nothing to go on with. The
  // effects are prepared as the game prepares its own: `effects` (by default "se0" … "se8" of "game"),
  // the control effect and the marker, read from their files as they are now.
  void Open(const SdlPlatformOptions& options = {}, std::vector<std::string> effects = {}) {
    std::string error;
    platform_ = SdlPlatform::Open(options, error);
    ASSERT_NE(platform_, nullptr) << error;
    if (effects.empty()) {
      for (int n = 0; n <= 8; ++n) effects.push_back(Media("se" + std::to_string(n)));
    }
    WriteMedia("se1.wav", ToneWave(0.1, 0.5), "control");
    WriteMedia("se7.wav", ToneWave(0.05, kMarkerAmplitude), "marker");
    effects.push_back(Media("se1", "control"));
    effects.push_back(Media("se7", "marker"));
    platform_->PrepareEffects(std::move(effects));
  }
  // The services of the open platform, as the game is given them.
  Audio& audio() { return platform_->Services().audio; }
  Input& input() { return platform_->Services().input; }

  // Pumps window events, as the game's frames do, until `done` holds; false after kPatience.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      input().PumpEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  // Pumps events for `ms` of wall time, for waits without a device, when the game's own clock counts.
  void Run(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([end] { return std::chrono::steady_clock::now() >= end; });
  }
  // Pumps events until `seconds` more of the mix are in `file`.
  ::testing::AssertionResult Record(double seconds, const std::filesystem::path& file) {
    const std::size_t until = RecordedFrames(file) + Frames(seconds);
    if (PumpUntil([&] { return RecordedFrames(file) >= until; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << file << " stopped at " << RecordedFrames(file) << " frames, short of " << until;
  }
  ::testing::AssertionResult Record(double seconds) { return Record(seconds, output()); }
  // Pumps events until the last tenth of a second recorded holds sound: the tune is heard once its
  // render is done, later than its play on a machine too busy.
  ::testing::AssertionResult AwaitSound() {
    const auto heard = [&] {
      std::ifstream in(output(), std::ios::binary | std::ios::ate);
      const auto size = static_cast<std::streamoff>(in.tellg());
      std::vector<char> tail(static_cast<std::size_t>(std::min<std::streamoff>(size, Frames(0.1) * 4)));
      in.seekg(size - static_cast<std::streamoff>(tail.size()));
      in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
      return std::ranges::any_of(tail, [](char byte) { return byte != 0; });
    };
    if (PumpUntil(heard)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "nothing was heard in " << kPatience.count() << " s";
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
  void PlayControlEffect() { audio().PlayEffect(Media("se1", "control")); }
  static void ExpectOnlyTheControlEffect(const Recording& heard) {
    const std::size_t start = heard.SoundStart();
    const std::size_t end = heard.SoundEnd();
    ASSERT_LT(start, end) << "not even the control effect was heard";
    EXPECT_NEAR(end - start, Frames(0.1), kEdgeFrames);
    EXPECT_NEAR(heard.Rms(start, end), 0.5 * kSineRms, kLevelTolerance);
  }

  // A twentieth of a second, louder than the rest (Recording::Loud finds it); an effect, so it cuts any
  // other effect playing.
  void PlayMarker() { audio().PlayEffect(Media("se7", "marker")); }

  // A device that comes (back) while the tune plays starts the tune from its beginning at once: with a
  // marker played as the device opened, the tune's first note (0.3 s) sounds on after the marker.
  static void ExpectTheTuneFromItsStartWithTheMarker(const Recording& heard) {
    const auto marks = heard.Loud(kMarkerLevel);
    ASSERT_EQ(marks.size(), 1u) << "the device did not record the marker";
    const std::size_t noteEnd = heard.SoundStart() + Frames(0.25);
    ASSERT_LT(marks[0].end, noteEnd) << "the tune was not heard with the marker";
    EXPECT_LE(heard.LongestSilence(marks[0].end, noteEnd), kEdgeFrames) << "the tune's first note";
    EXPECT_GT(heard.Rms(marks[0].end, noteEnd), kTuneHeard) << "the tune's first note";
  }

  ScratchFolder scratch_{"sound"};
  std::unique_ptr<SdlPlatform> platform_;
};

}  // namespace talvessa::testing
