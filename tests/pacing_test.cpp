#include <gtest/gtest.h>

#include "harness.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::Close;
using testing::EnoughPasses;
using testing::Harness;
using testing::PassLog;

constexpr std::uint64_t kMs = 1000;

// One frame of `workMs` on the clock followed by the pacing tail; returns the time the tail took.
std::uint64_t PacedFrame(Harness& h, std::uint64_t workUs) {
  BeginPass(h.game);
  h.platform.clock.Advance(workUs);
  const std::uint64_t before = h.platform.clock.ElapsedUs();
  PaceFrame(h.game);
  return h.platform.clock.ElapsedUs() - before;
}

TEST(Pacing, ATenMillisecondFrameWaitsUntilMoreThan23MsAfterItsEnd) {
  Harness h;
  h.run().FramePeriod = 33;
  PacedFrame(h, 10 * kMs);
  EXPECT_EQ(h.game.FrameElapsed, 10);
  EXPECT_EQ(h.game.FrameRemaining, 23);
  const std::uint32_t waited = TimeMs(h.game) - h.game.FrameEnd;
  EXPECT_GT(waited, 23u);
  EXPECT_LE(waited, 24u);
}

TEST(Pacing, ALongFrameGetsNoWaitAndDoesNotShortenTheNext) {
  Harness h;
  h.run().FramePeriod = 33;
  EXPECT_LT(PacedFrame(h, 40 * kMs), 100u);  // only the pump of the frame's top
  EXPECT_EQ(h.game.FrameElapsed, 40);
  EXPECT_LT(PacedFrame(h, 33 * kMs), 100u);  // exactly the period: no wait either
  EXPECT_EQ(h.game.FrameElapsed, 33);
  PacedFrame(h, 10 * kMs);
  EXPECT_GT(TimeMs(h.game) - h.game.FrameEnd, 23u);
}

TEST(WaitMs, ReturnsStrictlyAfterTheTimeOnTheClockWhateverTheStartWithinAMillisecond) {
  for (std::uint64_t offsetUs : {0u, 1u, 499u, 999u}) {
    for (std::int32_t ms : {0, 1, 2, 23, 33, 67}) {
      Harness h;
      h.platform.clock.Advance(offsetUs);
      const std::uint32_t t0 = TimeMs(h.game);
      const std::uint64_t start = h.platform.clock.ElapsedUs();
      WaitMs(h.game, ms);
      EXPECT_EQ(TimeMs(h.game) - t0, static_cast<std::uint32_t>(ms) + 1) << ms << " from +" << offsetUs;
      // …and no earlier than the moment the clock turned to t0 + ms + 1.
      EXPECT_GE(h.platform.clock.ElapsedUs() - start + offsetUs, (static_cast<std::uint64_t>(ms) + 1) * kMs);
    }
  }
}

TEST(WaitMs, PumpsEventsEvenWhenNothingIsLeftToWait) {
  Harness h;
  const std::uint64_t pumps = h.platform.input.PumpCount();
  WaitMs(h.game, -5);
  EXPECT_EQ(h.platform.input.PumpCount(), pumps + 1);
}

TEST(WaitMs, SleepsInsteadOfSpinningOnTheClock) {
  Harness h;
  const std::uint64_t pumps = h.platform.input.PumpCount();
  WaitMs(h.game, 33);
  const std::uint64_t sliced = h.platform.input.PumpCount() - pumps;
  // Spinning would pump every 5 us of the virtual clock, 6,600 times in 33 ms; sleeping leaves only the
  // final stretch to spin.
  constexpr std::uint64_t kSpinningPumps = 33 * kMs / 5;
  EXPECT_LT(sliced, kSpinningPumps / 10);
}

// A clock that sleeps in whole milliseconds, rounded up, and takes each wait in one sleep, as the page's
// does; it counts its sleeps.
class WholeWaitClock final : public Clock {
 public:
  explicit WholeWaitClock(Clock& clock) : clock_(clock) {}
  std::uint64_t ClockUs() override { return clock_.ClockUs(); }
  void Sleep(std::uint32_t us) override {
    ++sleeps;
    clock_.Sleep((us + 999) / 1000 * 1000);
  }
  std::uint64_t TimerSeed() override { return clock_.TimerSeed(); }
  WaitShape FrameWait() const override { return {INT32_MAX, 0, 0}; }
  int sleeps = 0;

 private:
  Clock& clock_;
};

TEST(WaitMs, AClockThatSleepsWholeWaitsEndsOnTimeInOneSleep) {
  for (std::uint64_t offsetUs : {0u, 1u, 499u, 999u}) {
    for (std::int32_t ms : {0, 1, 23, 33, 67}) {
      Harness h;
      WholeWaitClock clock(h.platform.clock);
      Platform services = h.platform.Services();
      Game game(Platform{clock, services.input, services.screen, services.audio, services.programFolder});
      h.platform.clock.Advance(offsetUs);
      const std::uint32_t t0 = TimeMs(game);
      WaitMs(game, ms);
      EXPECT_EQ(TimeMs(game) - t0, static_cast<std::uint32_t>(ms) + 1) << ms << " from +" << offsetUs;
      // (An event pump's own cost may carry the clock past a wait of nothing.)
      EXPECT_LE(clock.sleeps, 1) << ms << " from +" << offsetUs;
    }
  }
}

TEST(WaitMs, NeitherStallsNorHangsWhenTheClockWraps) {
  for (std::uint32_t before : {1u, 10u, 33u}) {
    HeadlessPlatform::Options options;
    options.clockStartMs = static_cast<std::uint32_t>(0x100000000ull - before);
    Harness h(options);
    const std::uint64_t start = h.platform.clock.ElapsedUs();
    WaitMs(h.game, 33);
    const std::uint64_t took = h.platform.clock.ElapsedUs() - start;
    EXPECT_GT(took, 33 * kMs);
    EXPECT_LE(took, 34 * kMs) << before;
  }
}

TEST(Pacing, FramesAcrossTheClockWrapKeepTheirPeriod) {
  HeadlessPlatform::Options options;
  options.clockStartMs = static_cast<std::uint32_t>(0x100000000ull - 5);
  Harness h(options);
  h.run().FramePeriod = 33;
  PacedFrame(h, 10 * kMs);
  EXPECT_EQ(h.game.FrameElapsed, 10);
  EXPECT_LT(h.game.FrameEnd, h.game.FrameStart);  // the clock wrapped inside the frame
  EXPECT_GT(TimeMs(h.game) - h.game.FrameEnd, 23u);
}

TEST(DelayMs, WaitsOnTheTickCountWithoutPumping) {
  HeadlessPlatform::Options options;
  options.script = {Close(5)};
  Harness h(options);
  const std::uint64_t pumps = h.platform.input.PumpCount();
  const std::uint64_t start = h.platform.clock.ElapsedUs();
  DelayMs(h.game, 25);
  EXPECT_GT(h.platform.clock.ElapsedUs() - start, 25 * kMs);
  EXPECT_LE(h.platform.clock.ElapsedUs() - start, 26 * kMs);
  EXPECT_EQ(h.platform.input.PumpCount(), pumps);  // the window is not looked at during the delay
  EXPECT_THROW(PumpEvents(h.game), WindowClosed);
}

TEST(FrameLoop, TheWorldStepsOnTheFirstThirdFifthFrame) {
  Harness h;
  ResetWorld(h.world(), h.run());
  h.world().GameState = GameState::Playing;
  h.run().FramePeriod = 33;
  h.world().Shots[0].Y = 352;
  PassLog log(6);
  h.game.observer = &log;
  EXPECT_THROW(testing::FrameLoop(h.game), EnoughPasses);
  ASSERT_EQ(log.entries.size(), 6u);
  std::int16_t y = 352;
  for (const auto& e : log.entries) {
    if (e.frameCount % 2 == 1) y = static_cast<std::int16_t>(y - 24);  // the banknote rises at each step
    EXPECT_EQ(e.shot0Y, y) << "frame " << e.frameCount;
  }
  EXPECT_EQ(log.entries[0].frameCount, 1);
  // A new picture after each world step, none in between.
  EXPECT_EQ(log.entries[1].presents, log.entries[0].presents);
  EXPECT_GT(log.entries[2].presents, log.entries[1].presents);
}

TEST(FrameLoop, PlayRunsAFramePeriodOf33MsAndStepsEvery66Ms) {
  Harness h;
  h.world().GameState = GameState::Playing;
  h.run().FramePeriod = 33;
  PassLog log(300);
  h.game.observer = &log;
  const std::uint64_t start = h.platform.clock.ElapsedUs();
  EXPECT_THROW(testing::FrameLoop(h.game), EnoughPasses);
  // Each frame lasts until the clock has passed 33 ms: 34 clock milliseconds.
  const double perFrameMs = (h.platform.clock.ElapsedUs() - start) / 300.0 / kMs;
  EXPECT_GT(perFrameMs, 33.0);
  EXPECT_LT(perFrameMs, 34.1);
}

}  // namespace
}  // namespace talvessa

namespace talvessa::testing {
namespace {

// A banknote that strikes a lifting figure in this step is still in this step's picture: the hits
// are resolved after the drawing, and their burst shows from the next step on.
TEST(FrameLoop, TheStepIsDrawnBeforeItsHitsAreResolved) {
  Harness h;
  World& w = h.world();
  w.GameState = GameState::Playing;
  h.run().FramePeriod = 33;
  for (Unit& u : w.Units) u.State = 99;  // nobody else moves
  w.Units[3] = Unit{96, 200, 32, 32, 1, unit::Lifting, 1000};
  w.Hostages[3] = Hostage{96, 216, kind::LoneTaken, 100};
  w.HostagesInPlay = 1;
  w.Shots[0] = Shot{96, 250, 1000, 1};
  PassLog log(1);
  h.game.observer = &log;
  EXPECT_THROW(testing::FrameLoop(h.game), EnoughPasses);
  EXPECT_EQ(w.Rescued, 1);
  EXPECT_EQ(w.Shots[0].Active, 0);
  EXPECT_EQ(w.Bursts[0].Stage, 1);
  // The shot's place (96, 226) on the visible surface holds more than the ground.
  const Surface& visible = h.game.Display[0];
  int drawn = 0;
  for (int y = 226; y < 258; ++y) {
    for (int x = 96; x < 128; ++x) drawn += PixelAt(visible, x, y) != PixelAt(h.game.Display[2], x, y);
  }
  EXPECT_GT(drawn, 100);
}

}  // namespace
}  // namespace talvessa::testing
