// Time, waiting and event pumping: the parts of the frame skeleton that pass the time.
#include <algorithm>
#include <cstdint>

#include "shell/frames.h"

namespace talvessa {

namespace {

// WaitMs sleeps in slices of at most kSliceUs, pumping events between them, until kNapUs before
// the moment the clock passes, so that a late wake-up cannot make the frame late. One last nap then
// sleeps to kSpinUs before that moment: with the timer slack the game sets, a sleep ends some tens of
// microseconds after its time, so there is nearly never anything left to spin, and the frames keep
// their time to a fraction of a millisecond while the process sleeps through the whole wait.
constexpr std::int64_t kSliceUs = 8000;
constexpr std::int64_t kNapUs = 1500;
constexpr std::int64_t kSpinUs = 5;

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
  const Deadline deadline(game.platform.clock.ClockUs(), ms);
  for (;;) {
    PumpEvents(game);
    const std::uint64_t nowUs = game.platform.clock.ClockUs();
    if (deadline.Passed(nowUs)) return;
    const std::int64_t left = deadline.LeftUs(nowUs);
    if (left > kNapUs) {
      game.platform.clock.Sleep(static_cast<std::uint32_t>(std::min(left - kNapUs, kSliceUs)));
    } else if (left > kSpinUs) {
      game.platform.clock.Sleep(static_cast<std::uint32_t>(left - kSpinUs));
    }
  }
}

void DelayMs(Game& game, std::int32_t ms) {
  const Deadline deadline(game.platform.clock.ClockUs(), ms);
  for (std::uint64_t nowUs = game.platform.clock.ClockUs(); !deadline.Passed(nowUs);
       nowUs = game.platform.clock.ClockUs()) {
    game.platform.clock.Sleep(
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(deadline.LeftUs(nowUs), 1, kSliceUs)));
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
