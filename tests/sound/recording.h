// The mix as SDL's disk driver wrote it (44100 frames a second, 16-bit, stereo), read back for the
// sound tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "media_files.h"

namespace talvessa::testing {

constexpr std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate); }
constexpr double kSineRms = 0.70710678;  // of a sine of amplitude 1
// A tone is heard at its own level, within the rounding of its samples and the edges of the windows.
constexpr double kLevelTolerance = 0.03;
// Where a sound starts or ends in the file can be off by the few near-zero samples of a sine.
constexpr std::size_t kEdgeFrames = 40;

// Frames [start, end) of a recording.
struct Stretch {
  std::size_t start;
  std::size_t end;
};

// How many frames the driver has written to `file` so far (none while it does not exist).
inline std::size_t RecordedFrames(const std::filesystem::path& file) {
  std::error_code missing;
  const std::uintmax_t bytes = std::filesystem::file_size(file, missing);
  return missing ? 0 : static_cast<std::size_t>(bytes / 4);
}

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
  std::int16_t left(std::size_t frame) const { return left_[frame]; }
  std::int16_t right(std::size_t frame) const { return right_[frame]; }
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
    for (std::size_t frame = from; frame < std::min(to, frames()); ++frame) {
      run = Silent(frame) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  }
  // The level of both channels over frames [from, to), as a share of full scale.
  double Rms(std::size_t from, std::size_t to) const {
    to = std::min(to, frames());
    double sum = 0;
    for (std::size_t frame = from; frame < to; ++frame) {
      const double left = left_[frame];
      const double right = right_[frame];
      sum += left * left + right * right;
    }
    return to > from ? std::sqrt(sum / (2.0 * static_cast<double>(to - from))) / 32768.0 : 0.0;
  }
  // The stretches where a channel reaches `level` (a share of full scale), the dips of a sine between
  // its peaks bridged.
  std::vector<Stretch> Loud(double level) const {
    const auto threshold = static_cast<int>(level * 32768.0);
    std::vector<Stretch> stretches;
    for (std::size_t frame = 0; frame < frames(); ++frame) {
      if (std::abs(left_[frame]) < threshold && std::abs(right_[frame]) < threshold) continue;
      if (!stretches.empty() && frame <= stretches.back().end + kEdgeFrames) {
        stretches.back().end = frame + 1;
      } else {
        stretches.push_back({frame, frame + 1});
      }
    }
    return stretches;
  }
  // The largest sample of either channel over frames [from, to), as a share of full scale.
  double Peak(std::size_t from = 0, std::size_t to = SIZE_MAX) const {
    int peak = 0;
    for (std::size_t frame = from; frame < std::min(to, frames()); ++frame) {
      peak = std::max({peak, std::abs(int{left_[frame]}), std::abs(int{right_[frame]})});
    }
    return peak / 32768.0;
  }
  // How many samples of either channel sit at full scale, where a louder mix was clipped.
  std::size_t FullScaleSamples() const {
    auto clipped = [](std::int16_t sample) { return sample >= 32767 || sample <= -32767; };
    return static_cast<std::size_t>(std::count_if(left_.begin(), left_.end(), clipped) +
                                    std::count_if(right_.begin(), right_.end(), clipped));
  }
  // The stretches of sound from frame `from` on, parted where at least `gap` frames in a row are silent.
  std::vector<Stretch> Sounding(std::size_t from, std::size_t gap) const {
    std::vector<Stretch> stretches;
    for (std::size_t frame = from; frame < frames(); ++frame) {
      if (Silent(frame)) continue;
      if (!stretches.empty() && frame < stretches.back().end + gap) {
        stretches.back().end = frame + 1;
      } else {
        stretches.push_back({frame, frame + 1});
      }
    }
    return stretches;
  }
  double Seconds(std::size_t frames) const { return static_cast<double>(frames) / kSampleRate; }

 private:
  bool Silent(std::size_t frame) const { return left_[frame] == 0 && right_[frame] == 0; }

  std::vector<std::int16_t> left_;
  std::vector<std::int16_t> right_;
};

}  // namespace talvessa::testing
