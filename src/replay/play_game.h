// The game in its window as `talvessa` runs it: plainly, recording a replay (--record), or showing one
// (--replay).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/glyphs.h"
#include "platform/platform.h"
#include "replay/replay_file.h"

namespace talvessa {

// The game's version as replays record it ("1.1.0").
const char* ReplayGameVersion();
// The warning for a replay made by another version of the game, or empty when it is this one's.
std::string OtherVersionWarning(const std::string& file, const Replay& replay);

// A replay to show, read and checked before the window opens.
struct ShownReplay {
  std::string file;
  Replay replay;
};
// Reads FILE for --replay, with a warning on `err` if another version made it. Nothing when it cannot be
// played: its one line is said on `err` (the game's exit status is then 2).
std::optional<ShownReplay> ReadReplayToShow(const std::string& file, std::ostream& err);

// The machine's clock with the seed of a replay.
class SeededClock final : public Clock {
 public:
  SeededClock(Clock& clock, std::uint64_t seed) : clock_(clock), seed_(seed) {}
  std::uint64_t ClockUs() override { return clock_.ClockUs(); }
  void Sleep(std::uint32_t us) override { clock_.Sleep(us); }
  std::uint64_t TimerSeed() override { return seed_; }
  WaitShape FrameWait() const override { return clock_.FrameWait(); }

 private:
  Clock& clock_;
  std::uint64_t seed_;
};

// Runs the game until Esc or the window closes; with `recordFile` it records the run there, with
// `replay` it shows that replay at its pace (the keyboard is ignored but for Esc, which ends it).
// Problems are one line each on `err`. The exit status: 0; 1 when the recording could not be written;
// 3 when the playback no longer matches its recording; 4 for a recording cut short, shown up to its
// last pass.
int PlayGame(const Platform& machine, GlyphRasterizer* glyphs, const std::string& recordFile,
             const ShownReplay* replay, std::ostream& err);

}  // namespace talvessa
