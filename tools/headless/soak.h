// The soak: game after game of play driven straight through the rules (no screens, no waits), by a
// player who mixes good play with random keys, checking the world's invariants after every step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "world/world.h"

namespace talvessa {

struct SoakReport {
  std::uint64_t steps = 0;
  std::uint64_t games = 0;
  int highestPhase = 0;
  int mostRescued = 0;
  std::string violation;  // empty when every check held
};

// Runs `steps` world steps. `draw`, when given, draws each step's picture between the world step and
// the hits, as the frame loop does.
SoakReport Soak(std::uint64_t steps, std::uint64_t seed, const std::function<void(const World&)>& draw = {});

}  // namespace talvessa
