#include <gtest/gtest.h>

#include <cstring>

#include "world/random.h"
#include "world/world.h"

namespace talvessa {
namespace {

// Every byte set, so that anything the reset forgets stands out.
template <typename Values>
Values Scrambled() {
  Values values;
  std::memset(static_cast<void*>(&values), 0x5A, sizeof values);
  return values;
}

TEST(ResetWorld, PutsEveryTableAndValueBack) {
  World w = Scrambled<World>();
  w.GameState = GameState::Paused;
  RunState run = Scrambled<RunState>();
  ResetWorld(w, run);

  EXPECT_EQ(w.PlayerX, 256);
  EXPECT_EQ(w.PlayerY, 352);
  EXPECT_EQ(w.ShotsYen, 0);
  EXPECT_EQ(w.VanX, 512);
  EXPECT_EQ(w.VanY, 288);
  EXPECT_EQ(w.VanTimer, 0);
  EXPECT_EQ(w.VanStopEnd, 36);
  EXPECT_EQ(w.Phase, 1);
  EXPECT_EQ(w.HostagesInPlay, 0);
  EXPECT_EQ(w.Funds, 3000);
  EXPECT_EQ(w.Rescued, 0);
  EXPECT_EQ(w.NotRescued, 0);
  EXPECT_EQ(w.StandoffCount, 0);
  EXPECT_EQ(w.GameState, GameState::Logo);
  EXPECT_EQ(run.Command, 0);
  EXPECT_EQ(w.PauseRequest, 0);
  EXPECT_EQ(run.FramePeriod, 67);
  EXPECT_EQ(run.FrameCount, 0);
  EXPECT_EQ(run.EndCounter, 0);
  EXPECT_EQ(run.TitleCounter, 0);
  EXPECT_EQ(run.AttractScrollA, -480);
  EXPECT_EQ(run.AttractScrollB, 576);

  for (int i = 0; i < kColumns; ++i) {
    SCOPED_TRACE(i);
    const Unit& u = w.Units[i];
    EXPECT_EQ(u.X, 32 * i);
    EXPECT_EQ(u.Y, -32);
    EXPECT_EQ(u.Width, 32);
    EXPECT_EQ(u.Height, 32);
    EXPECT_EQ(u.Health, 1000);
    EXPECT_EQ(u.State, unit::Arriving);
    const Hostage& h = w.Hostages[i];
    EXPECT_EQ(h.X, 32 * i);
    EXPECT_EQ(h.Y, 384);
    EXPECT_EQ(h.Kind, kind::Empty);
    EXPECT_EQ(h.Reward, 0);
    if (i > 0) {
      EXPECT_EQ(w.Shots[i].X, 0);
      EXPECT_EQ(w.Shots[i].Y, 0);
      EXPECT_EQ(w.Shots[i].Value, 0);
      EXPECT_EQ(w.Shots[i].Active, 0);
      EXPECT_EQ(w.Bursts[i].X, 0);
      EXPECT_EQ(w.Bursts[i].Y, 0);
      EXPECT_EQ(w.Bursts[i].Stage, 0);
    }
  }
  // The attract demo's banknote and burst.
  EXPECT_EQ(w.Shots[0].X, 0);
  EXPECT_EQ(w.Shots[0].Y, 352);
  EXPECT_EQ(w.Shots[0].Value, 1000);
  EXPECT_EQ(w.Shots[0].Active, 1);
  EXPECT_EQ(w.Bursts[0].X, 480);
  EXPECT_EQ(w.Bursts[0].Y, 352);
  EXPECT_EQ(w.Bursts[0].Stage, 0);
}

TEST(ResetWorld, LeavesPopupsUnitTicksAndTheKeyLatchAlone) {
  World w = Scrambled<World>();
  w.GameState = GameState::Paused;
  RunState run;
  w.Popups[3] = Popup{96, 40, 12, 300};
  w.Units[5].Tick = 77;
  w.KeyLatch = 1;
  const auto popups = w.Popups;
  ResetWorld(w, run);
  for (int i = 0; i < kColumns; ++i) {
    EXPECT_EQ(w.Popups[i].X, popups[i].X);
    EXPECT_EQ(w.Popups[i].Y, popups[i].Y);
    EXPECT_EQ(w.Popups[i].Timer, popups[i].Timer);
    EXPECT_EQ(w.Popups[i].Amount, popups[i].Amount);
  }
  EXPECT_EQ(w.Units[5].Tick, 77);
  EXPECT_EQ(w.KeyLatch, 1);
}

TEST(Random, IsReproducibleUniformAndInRange) {
  Random a(42);
  Random b(42);
  int counts[10] = {};
  for (int i = 0; i < 100000; ++i) {
    const double r = a.Next();
    ASSERT_EQ(r, b.Next());
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    ++counts[static_cast<int>(r * 10)];
  }
  for (int c : counts) EXPECT_NEAR(c, 10000, 500);
  Random c(7);
  for (int i = 0; i < 1000; ++i) {
    const int roll = c.Roll(14);
    ASSERT_GE(roll, 1);
    ASSERT_LE(roll, 14);
    const int index = c.Below(128);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, 128);
  }
  EXPECT_NE(Random(1).Next(), Random(2).Next());
}

}  // namespace
}  // namespace talvessa
