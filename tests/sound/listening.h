// The real sound backend, listened to: SDL's disk driver writes the mix to a file in real time. Each test
// makes its media in a folder named with blanks and other letters, as a player's may be, opens the
// platform, plays a second or so and closes it. Waits are counted in recorded sound, not in wall time:
// on a busy machine the driver falls behind the clock. What must come in an order is checked as an
// order, against other sounds or against markers played at the moment in question.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "support/media_files.h"
#include "support/scratch_folder.h"

namespace talvessa::testing {

constexpr std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate); }
constexpr double kSineRms = 0.70710678;  // of a sine of amplitude 1
// A tone is heard at its own level, within the rounding of its samples and the edges of the windows.
constexpr double kLevelTolerance = 0.03;
// Where a sound starts or ends in the file can be off by the few near-zero samples of a sine.
constexpr std::size_t kEdgeFrames = 40;
// A tune's notes are heard above this: the tunes here sound at 0.015 or more, markers above 0.5.
constexpr double kTuneHeard = 0.011;
// A wait or a call that takes this long is a hang, not a busy machine.
constexpr std::chrono::seconds kPatience{10};
constexpr double kHeldMs = 1000;

// The game's own effect or tune `name`.
inline std::string GameMedia(const std::string& name) {
  return std::string(TALVESSA_SOURCE_DIR) + "/assets/da/" + name;
}

inline double Dbfs(double share) { return 20 * std::log10(share); }

// How long `call` took, in milliseconds.
inline double Ms(const std::function<void()>& call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The lines written to stderr, by the process and the libraries in it, since gtest's CaptureStderr.
inline std::size_t CapturedStderrLines() {
  return static_cast<std::size_t>(std::ranges::count(::testing::internal::GetCapturedStderr(), '\n'));
}

// How many frames the driver has written to `file` so far (none while it does not exist).
inline std::size_t RecordedFrames(const std::filesystem::path& file) {
  std::error_code missing;
  const std::uintmax_t bytes = std::filesystem::file_size(file, missing);
  return missing ? 0 : static_cast<std::size_t>(bytes / 4);
}

// Frames [start, end) of a recording.
struct Stretch {
  std::size_t start, end;
};

// The mix as the disk driver wrote it: 44100 frames a second, 16-bit, stereo; from frame `from` on.
class Recording {
 public:
  explicit Recording(const std::filesystem::path& file, std::size_t from = 0) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(4 * from));
    for (std::int16_t sample = 0; in.read(reinterpret_cast<char*>(&sample), 2);) samples_.push_back(sample);
  }
  std::size_t frames() const { return samples_.size() / 2; }
  // The stretches from `from` on where a sample reaches `level` (a share of full scale; 0, any sound),
  // parted where `gap` frames in a row do not.
  std::vector<Stretch> Runs(double level, std::size_t gap, std::size_t from = 0) const {
    const int threshold = std::max(1, static_cast<int>(level * 32768.0));
    std::vector<Stretch> runs;
    for (std::size_t frame = from; frame < frames(); ++frame) {
      if (std::max(std::abs(samples_[2 * frame]), std::abs(samples_[2 * frame + 1])) < threshold) continue;
      if (runs.empty() || frame >= runs.back().end + gap) runs.push_back({frame, frame});
      runs.back().end = frame + 1;
    }
    return runs;
  }
  // The markers heard, the dips of their sine between its peaks bridged.
  std::vector<Stretch> Marks() const { return Runs(0.5, kEdgeFrames + 1); }
  // From the first frame that is not silent to one past the last; empty at the end when all is silent.
  Stretch Sound() const {
    const auto all = Runs(0, frames());
    return all.empty() ? Stretch{frames(), frames()} : all[0];
  }
  // The level over frames [from, to), as a share of full scale.
  double Rms(std::size_t from, std::size_t to) const {
    to = std::min(to, frames());
    double sum = 0;
    for (std::size_t i = 2 * from; i < 2 * to; ++i) sum += static_cast<double>(samples_[i]) * samples_[i];
    return to > from ? std::sqrt(sum / (2.0 * static_cast<double>(to - from))) / 32768.0 : 0.0;
  }
  // The loudest second of frames [from, to), looked for every `step` frames.
  double LoudestSecond(std::size_t from, std::size_t to, std::size_t step) const {
    double loudest = 0;
    for (std::size_t at = from; at + Frames(1.0) <= std::min(to, frames()); at += step)
      loudest = std::max(loudest, Rms(at, at + Frames(1.0)));
    return loudest;
  }
  // The largest sample, as a share of full scale.
  double Peak() const {
    int peak = 0;
    for (const std::int16_t sample : samples_) peak = std::max(peak, std::abs(int{sample}));
    return peak / 32768.0;
  }

 private:
  std::vector<std::int16_t> samples_;  // left, right, left, …
};

class SdlSoundListening : public ::testing::Test {
 protected:
  static constexpr const char* kGame = "dir with blanks/日本語 フォルダ";

  void SetUp() override {
    // The offscreen driver is taken because it is asked for by name.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    RecordTo(output());
  }
  std::filesystem::path output() const { return scratch_ / "out.raw"; }
  // Where the next device opened records; one in a folder that is not there cannot open.
  static void RecordTo(const std::filesystem::path& file) { setenv("SDL_DISKAUDIOFILE", file.c_str(), 1); }

  // Under ASSERT_NO_FATAL_FAILURE. The effects are prepared as the game prepares its own: `effects` (by
  // default "se0" … "se8" of the game's folder), the control effect and the marker.
  void Open(const SdlPlatformOptions& options = {}, std::vector<std::string> effects = {}) {
    std::string error;
    platform_ = SdlPlatform::Open(options, error);
    ASSERT_NE(platform_, nullptr) << error;
    if (effects.empty()) {
      for (int n = 0; n <= 8; ++n) effects.push_back(Media("se" + std::to_string(n)));
    }
    WriteMedia("se1.wav", ToneWave(0.1, 0.5), "control");
    WriteMedia("se7.wav", ToneWave(0.05, 0.9), "marker");
    effects.insert(effects.end(), {Media("se1", "control"), Media("se7", "marker")});
    if (SdlSound* sound = platform_->Sound()) sound->PrepareEffects(std::move(effects));
  }
  Audio& audio() { return platform_->Services().audio; }
  Input& input() { return platform_->Services().input; }
  void PlayTune(const std::string& path) {
    audio().OpenMusic(path);
    audio().PlayMusic();
  }

  // Pumps window events, as the game's frames do, until `done` holds; false after kPatience.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + kPatience;
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
      if (std::chrono::steady_clock::now() > limit) return false;
      input().PumpEvents();
    }
    return true;
  }
  // Pumps events for `ms` of wall time, for waits without a device, when the game's own clock counts.
  void Run(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([end] { return std::chrono::steady_clock::now() >= end; });
  }
  // Pumps events, calling `pumped` at each pump, until `seconds` more of the mix are in `file`: in pieces
  // of five seconds, each well within the patience of one wait.
  ::testing::AssertionResult Record(
      double seconds, const std::filesystem::path& file, const std::function<void()>& pumped = [] {}) {
    const std::size_t start = RecordedFrames(file);
    for (double played = 0; played < seconds; played += 5.0) {
      const std::size_t until = start + Frames(std::min(seconds, played + 5.0));
      if (!PumpUntil([&] {
            pumped();
            return RecordedFrames(file) >= until;
          }))
        return ::testing::AssertionFailure() << file << " stopped at " << RecordedFrames(file) << " frames";
    }
    return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult Record(double seconds) { return Record(seconds, output()); }
  // Plays effects of the game's folder in turn, each recorded for its time.
  ::testing::AssertionResult Effects(const std::vector<std::pair<std::string, double>>& effects) {
    for (const auto& [name, seconds] : effects) {
      audio().PlayEffect(Media(name));
      if (auto recorded = Record(seconds); !recorded) return recorded;
    }
    return ::testing::AssertionSuccess();
  }
  // Pumps events until the last tenth of a second recorded holds sound: the tune is heard once its
  // render is done, later than its play on a machine too busy.
  bool AwaitSound() {
    return PumpUntil([&] {
      const std::size_t frames = RecordedFrames(output());
      return Recording(output(), frames - std::min(frames, Frames(0.1))).Peak() > 0;
    });
  }
  // Closes the platform, which closes the file, and reads what was played.
  Recording Finish() {
    platform_.reset();
    return Recording(output());
  }

  // The path the game hands over for an effect or tune `name` of the data folder of `programFolder`.
  std::string Media(const std::string& name, const std::string& programFolder = kGame) const {
    return (scratch_ / programFolder / "da" / name).string();
  }
  std::string WriteMedia(const std::string& file, const Bytes& bytes,
                         const std::string& folder = kGame) const {
    return scratch_.Write(std::filesystem::path(folder) / "da" / file, bytes);
  }

  // A tenth of a second at half scale, played after broken media to show that the device was listening;
  // it must then be all that was heard.
  void PlayControlEffect() { audio().PlayEffect(Media("se1", "control")); }
  static void ExpectOnlyTheControlEffect(const Recording& heard) {
    const auto [start, end] = heard.Sound();
    ASSERT_LT(start, end) << "not even the control effect was heard";
    EXPECT_NEAR(end - start, Frames(0.1), kEdgeFrames);
    EXPECT_NEAR(heard.Rms(start, end), 0.5 * kSineRms, kLevelTolerance);
  }
  // A twentieth of a second, louder than the rest; an effect, so it cuts any other effect playing.
  void PlayMarker() { audio().PlayEffect(Media("se7", "marker")); }

  ScratchFolder scratch_{"sound"};
  std::unique_ptr<SdlPlatform> platform_;
};

}  // namespace talvessa::testing
