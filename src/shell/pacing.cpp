// Time, waiting and event pumping, shared by every loop of the game.
#include <algorithm>
#include <cstdint>

#include "shell/game.h"

namespace talvessa {

namespace {

// WaitMs sleeps in slices of at most kSliceUs, pumping events between them, until kNapUs before
// the moment the clock passes, so that a late wake-up cannot make the frame late. One short nap then
// takes it to kSpinUs before, and only that last stretch is spun on the clock. Frames keep their
// time to a fraction of a millisecond while the process sleeps through nearly all of every wait.
constexpr std::int64_t kSliceUs = 8000;
constexpr std::int64_t kNapUs = 1500;
constexpr std::int64_t kSpinUs = 500;

std::uint32_t MillisecondsOf(std::uint64_t us) { return static_cast<std::uint32_t>(us / 1000); }

}  // namespace

const char* LoopName(Loop loop) {
  switch (loop) {
    case Loop::Logo: return "logo";
    case Loop::Attract: return "attract";
    case Loop::Play: return "play";
    case Loop::Pause: return "pause";
    case Loop::GameOver: return "game_over";
    case Loop::Ending: return "ending";
  }
  return "?";
}

void PumpEvents(Game& game) {
  if (game.platform.PumpEvents() == PumpResult::CloseRequested) {
    game.sound.StopMusic();
    game.sound.CloseMusic();
    game.sound.SilenceEffects();
    throw WindowClosed{};
  }
}

std::uint32_t TimeMs(Game& game) { return MillisecondsOf(game.platform.ClockUs()); }

std::uint32_t TickCount(Game& game) { return MillisecondsOf(game.platform.ClockUs()); }

void WaitMs(Game& game, std::int32_t ms) {
  const std::uint64_t startUs = game.platform.ClockUs();
  const std::uint32_t t0 = MillisecondsOf(startUs);
  // The clock has passed `ms` once it reads t0 + ms + 1.
  const auto deadlineUs = static_cast<std::int64_t>((startUs / 1000) * 1000) +
                          (std::int64_t{ms} + 1) * 1000;
  for (;;) {
    PumpEvents(game);
    const std::uint64_t nowUs = game.platform.ClockUs();
    const std::uint32_t elapsed = MillisecondsOf(nowUs) - t0;  // modulo 2^32: safe across the wrap
    if (std::int64_t{elapsed} > ms) return;
    if (game.waitMode == WaitMode::Busy) continue;
    const std::int64_t left = deadlineUs - static_cast<std::int64_t>(nowUs);
    if (left > kNapUs) {
      game.platform.Sleep(static_cast<std::uint32_t>(std::min(left - kNapUs, kSliceUs)));
    } else if (left > kSpinUs) {
      game.platform.Sleep(static_cast<std::uint32_t>(left - kSpinUs));
    }
  }
}

void DelayMs(Game& game, std::int32_t ms) {
  const std::uint64_t startUs = game.platform.ClockUs();
  const std::uint32_t t0 = MillisecondsOf(startUs);
  const auto deadlineUs = static_cast<std::int64_t>((startUs / 1000) * 1000) +
                          (std::int64_t{ms} + 1) * 1000;
  for (;;) {
    const std::uint64_t nowUs = game.platform.ClockUs();
    if (std::int64_t{MillisecondsOf(nowUs) - t0} > ms) return;
    const std::int64_t left = deadlineUs - static_cast<std::int64_t>(nowUs);
    game.platform.Sleep(static_cast<std::uint32_t>(std::clamp<std::int64_t>(left, 1, kSliceUs)));
  }
}

void BeginPass(Game& game) {
  game.FrameStart = TimeMs(game);
  PumpEvents(game);
}

void PaceFrame(Game& game) {
  game.FrameEnd = TimeMs(game);
  game.FrameElapsed = static_cast<std::int32_t>(game.FrameEnd - game.FrameStart);
  game.FrameRemaining = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      std::int64_t{game.world.FramePeriod} - game.FrameElapsed, INT32_MIN, INT32_MAX));
  if (game.FrameElapsed < game.world.FramePeriod) WaitMs(game, game.FrameRemaining);
}

void NotePass(Game& game, Loop loop) {
  if (game.observer != nullptr) game.observer->PassDone(game, loop);
}

void RunPasses(Game& game, Loop loop, bool (*pass)(Game&)) {
  for (;;) {
    const bool goOn = pass(game);
    NotePass(game, loop);
    if (!goOn) return;
  }
}

}  // namespace talvessa
