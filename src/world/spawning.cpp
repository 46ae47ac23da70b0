// Hostages appear below the field, under a unit waiting at the top row, which then fetches them.
#include "world/rules.h"

namespace talvessa {

namespace {

// A new hostage in slot i: a lone person, or one time in ten a parent with child.
void Spawn(World& w, RandomSource& random, int i) {
  w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay + 1);
  Hostage& h = w.Hostages[i];
  h = Hostage{static_cast<std::int16_t>(kCell * i), 384, kind::LoneWaiting, 100};
  if (random.Roll(100) <= 10) {
    h.Kind = kind::FamilyWaiting;
    h.Reward = 300;
  }
}

}  // namespace

int SpawnCapPhase1(int rescued) {
  if (rescued < 0 || rescued > 100) return 0;
  if (rescued <= 20) return 1;
  if (rescued <= 40) return 2;
  if (rescued <= 60) return 3;
  if (rescued <= 80) return 5;
  return 7;
}

int SpawnCapPhase23(int rescued) {
  // Phase 3 starts at 251 and its crowding starts over.
  constexpr struct {
    int upTo, cap;
  } kCaps[] = {{99, 0},   {120, 2}, {140, 4}, {170, 6}, {210, 8}, {250, 10},
               {270, 2},  {310, 4}, {390, 6}, {450, 8}, {510, 10}};
  for (const auto& step : kCaps) {
    if (rescued <= step.upTo) return step.cap;
  }
  return 12;
}

void SpawnPhase1(World& w, RandomSource& random) {
  if (w.Phase != 1) return;
  const int cap = SpawnCapPhase1(w.Rescued);
  for (int i = 0; i < kColumns; ++i) {
    if (w.HostagesInPlay >= cap || w.Units[i].State != unit::Waiting || w.Hostages[i].Kind != kind::Empty) {
      continue;
    }
    if (random.Roll(1000) <= 10) Spawn(w, random, i);
  }
}

void SpawnPhase23(World& w, RandomSource& random) {
  if (w.Phase != 2 && w.Phase != 3) return;
  const int cap = SpawnCapPhase23(w.Rescued);
  const int threshold = w.Rescued >= 2000 ? 22 : w.Rescued >= 1000 ? 21 : 20;
  for (int i = 0; i < kColumns; i += 2) {
    const std::int16_t state = w.Units[i].State;
    if (w.HostagesInPlay >= cap || (state != unit::VehicleWaiting && state != unit::AircraftWaiting) ||
        w.Hostages[i].Kind != kind::Empty) {
      continue;
    }
    if (random.Roll(1000) <= threshold) {
      Spawn(w, random, i);
      Spawn(w, random, i + 1);
    }
  }
}

}  // namespace talvessa
