// Time, waiting and event pumping: the parts of the frame skeleton that pass the time.
#include <algorithm>
#include <cstdint>

#include "shell/frames.h"

namespace talvessa {

namespace {

// WaitMs sleeps in slices, pumping events between them, until shortly before the moment the clock
// passes, so that a late wake-up cannot make the frame late; one last nap sleeps nearly to that moment,
// and the rest is spun on the clock. The clock says how (Clock::FrameWait): on the desktop there is
// nearly never anything left to spin, and the process sleeps through the whole wait.
std::uint32_t MillisecondsOf(std::uint64_t us) { return static_cast<std::uint32_t>(us / 1000); }

// The end of a wait of `ms` begun at `startUs`: when the millisecond clock has passed t0 + ms.
class Deadline {
 public:
  Deadline(std::uint64_t startUs, std::int32_t ms)
      : t0_(MillisecondsOf(startUs)),
        ms_(ms),
        us_(static_cast<std::int64_t>(startUs / 1000 * 1000) + (std::int64_t{ms} + 1) * 1000) {}
  // Differences are taken modulo 2^32, so a wait across the clock's wrap ends on time.
  bool Passed(std::uint64_t nowUs) const { return std::int64_t{MillisecondsOf(nowUs) - t0_} > ms_; }
  std::int64_t LeftUs(std::uint64_t nowUs) const { return us_ - static_cast<std::int64_t>(nowUs); }

 private:
  std::uint32_t t0_;
  std::int32_t ms_;
  std::int64_t us_;
};

}  // namespace

void PumpEvents(Game& game) {
  if (game.platform.input.PumpEvents() == PumpResult::CloseRequested) {
    game.sound.StopMusic();
    game.sound.CloseMusic();
    game.sound.SilenceEffects();
    throw WindowClosed{};
  }
}

std::uint32_t TimeMs(Game& game) { return MillisecondsOf(game.platform.clock.ClockUs()); }

void WaitMs(Game& game, std::int32_t ms) {
  const Clock::WaitShape shape = game.platform.clock.FrameWait();
  const Deadline deadline(game.platform.clock.ClockUs(), ms);
  for (;;) {
    PumpEvents(game);
    const std::uint64_t nowUs = game.platform.clock.ClockUs();
    if (deadline.Passed(nowUs)) return;
    const std::int64_t left = deadline.LeftUs(nowUs);
    if (left > shape.napUs) {
      game.platform.clock.Sleep(static_cast<std::uint32_t>(std::min(left - shape.napUs, shape.sliceUs)));
    } else if (left > shape.spinUs) {
      game.platform.clock.Sleep(static_cast<std::uint32_t>(left - shape.spinUs));
    }
  }
}

void DelayMs(Game& game, std::int32_t ms) {
  const std::int64_t sliceUs = game.platform.clock.FrameWait().sliceUs;
  const Deadline deadline(game.platform.clock.ClockUs(), ms);
  for (std::uint64_t nowUs = game.platform.clock.ClockUs(); !deadline.Passed(nowUs);
       nowUs = game.platform.clock.ClockUs()) {
    game.platform.clock.Sleep(
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(deadline.LeftUs(nowUs), 1, sliceUs)));
  }
}

void PaceFrame(Game& game) {
  game.FrameEnd = TimeMs(game);
  game.FrameElapsed = static_cast<std::int32_t>(game.FrameEnd - game.FrameStart);
  game.FrameRemaining = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{game.run.FramePeriod} - game.FrameElapsed, INT32_MIN, INT32_MAX));
  if (game.FrameElapsed < game.run.FramePeriod) WaitMs(game, game.FrameRemaining);
}

}  // namespace talvessa
