// A player for the headless game: after every loop pass it looks at the world and decides which keys
// to hold for the next one. It acts only through the keys, exactly as a person at the keyboard would.
#pragma once

#include "platform/headless/headless_input.h"
#include "shell/game.h"

namespace talvessa {

// Where a good player would stand now and what it would throw from there.
struct PlayPlan {
  int column = -1;  // -1: anywhere
  bool throwNote = false;
  bool sendVan = false;
};
PlayPlan PlanPlay(const World& world);

class Autopilot {
 public:
  // With `stopAtPhase` above 0 it lets go of the keys for good once the world reaches that phase.
  Autopilot(HeadlessInput& keys, int stopAtPhase) : keys_(keys), stopAtPhase_(stopAtPhase) {}
  void Decide(const Game& game, Loop loop);

 private:
  void Hold(int virtualKey);
  // Presses `key` on this pass if it was up on the last one, so that every press counts.
  void Tap(int virtualKey);

  HeadlessInput& keys_;
  int stopAtPhase_;
  bool stopped_ = false;
  int held_ = 0;      // the key held for the coming pass, 0 for none
  int lastHeld_ = 0;  // the key held on the last pass
};

}  // namespace talvessa
