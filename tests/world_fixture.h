// A world at the start of a game with a scripted random source and a record of the effects played,
// for tests that step the rules directly.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "world/rules.h"

namespace talvessa::testing {

// Hands out the fractions it was given, in order; running dry fails the test.
class ScriptedRandom final : public RandomSource {
 public:
  // Queues the fraction that makes Roll(n) give `roll`.
  void QueueRoll(int roll, int n) { fractions.push_back((roll - 0.5) / n); }
  double Next() override {
    ++draws;
    if (fractions.empty()) {
      ADD_FAILURE() << "a roll was drawn that the test did not expect";
      return 0.999;
    }
    const double r = fractions.front();
    fractions.pop_front();
    return r;
  }
  std::deque<double> fractions;
  int draws = 0;
};

class EffectLog final : public EffectPlayer {
 public:
  void PlayEffect(Effect effect) override { played.push_back(static_cast<int>(effect)); }
  std::vector<int> played;
};

class WorldTest : public ::testing::Test {
 protected:
  WorldTest() {
    ResetWorld(w, run);
    w.GameState = GameState::Playing;
    w.Shots[0] = Shot{};  // the attract demo's banknote is gone once play starts
  }
  void Step() { StepActors(w, random, effects); }
  // Steps until `done` holds; the count of steps taken, or -1 after `limit`.
  template <typename Done>
  int StepsUntil(Done done, int limit = 2000) {
    for (int n = 1; n <= limit; ++n) {
      Step();
      if (done()) return n;
    }
    return -1;
  }
  void PutUnit(int i, std::int16_t state, std::int16_t y, std::int16_t tick = 0) {
    Unit& u = w.Units[i];
    u.State = state;
    u.Y = y;
    u.Tick = tick;
    if (state >= unit::VehicleWaiting && state != unit::LeavingForGood) {
      u.Width = 64;
    }
  }
  void PutHostage(int i, std::int16_t kindCode, std::int16_t y, std::int16_t reward = 100) {
    w.Hostages[i] = Hostage{static_cast<std::int16_t>(32 * i), y, kindCode, reward};
  }
  // Every unit parked out of the way (as at the start, but not moving).
  void ParkAll(std::int16_t state = 99) {
    for (Unit& u : w.Units) u.State = state;
  }
  Shot& ShotAt(int k, std::int16_t x, std::int16_t y, std::int16_t value = 1000) {
    w.Shots[k] = Shot{x, y, value, 1};
    return w.Shots[k];
  }

  World w;
  RunState run;  // the shell's values, which the reset also puts back
  ScriptedRandom random;
  EffectLog effects;
};

}  // namespace talvessa::testing
