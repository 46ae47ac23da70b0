// The game in its window as `talvessa` runs it: plainly, recording a replay (--record), or showing one
// (--replay).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/glyphs.h"
#include "platform/platform.h"

namespace talvessa {

// The game's version as replays record it ("1.1.0").
const char* ReplayGameVersion();

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
// `replayFile` it shows that replay at its pace (the keyboard is ignored but for Esc, which ends it).
// Problems are one line each on `err`. The exit status: 0; 1 when the recording could not be written;
// 2 for a replay that cannot be read; 3 when the playback no longer matches its recording; 4 for a
// recording cut short, shown up to its last pass.
int PlayGame(const Platform& machine, GlyphRasterizer* glyphs, const std::string& recordFile,
             const std::string& replayFile, std::ostream& err);

}  // namespace talvessa
