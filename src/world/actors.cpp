// One world step of everything that moves by itself. The units' states are the rules of play: they
// come down to the top row, wait, fetch the hostages that rise below them and lift them away, unless
// money thrown at them frees the hostages first.
#include <algorithm>

#include "world/rules.h"

namespace talvessa {

namespace {

// The units' values are 16 bits wide, and move as such.
std::int16_t Add16(std::int16_t value, int amount) { return static_cast<std::int16_t>(value + amount); }

// Whether all sixteen units are at `topY` or above it (out of sight when it is above the field).
bool AllUnitsAtOrAbove(const World& w, int topY) {
  return std::all_of(w.Units.begin(), w.Units.end(), [topY](const Unit& u) { return u.Y <= topY; });
}

int CountInState(const World& w, std::int16_t state) {
  return static_cast<int>(
      std::count_if(w.Units.begin(), w.Units.end(), [state](const Unit& u) { return u.State == state; }));
}

// The right-hand hostage of a vehicle's pair. Vehicles stand on even columns, so it always exists.
Hostage& Partner(World& w, int i) { return w.Hostages[(i + 1) % kColumns]; }

void StepShots(World& w) {
  for (Shot& shot : w.Shots) {
    if (shot.Active != 1) continue;
    shot.Y = Add16(shot.Y, -24);
    if (shot.Y <= -32) {
      shot.X = 0;
      shot.Y = 0;
      shot.Active = 0;  // the record keeps its Value
    }
  }
}

// The van drives in from the right for 17 steps, stands for steps 19 to VanStopEnd, and drives off
// the left edge; an idle van stays idle.
void StepVan(World& w) {
  w.VanTimer = Add16(w.VanTimer, 1);
  if (w.VanTimer == 1) w.VanTimer = 0;
  if (w.VanTimer != 0) w.VanX = Add16(w.VanX, -16);
  if (w.VanTimer >= 19 && w.VanTimer <= w.VanStopEnd) w.VanX = Add16(w.VanX, 16);
  if (w.VanX == -64) {
    w.VanTimer = 0;
    w.VanX = 512;
  }
}

// A burst made with stage 1 shows stages 2 to 7.
void StepBursts(World& w) {
  for (Burst& burst : w.Bursts) {
    burst.Stage = Add16(burst.Stage, 1);
    if (burst.Stage == 1 || burst.Stage == 8) burst.Stage = 0;
  }
}

// A popup made with timer 1 rises 25 pixels over timers 2 to 6, stands to 30 and ends at 31. Idle
// popups rest at Y 0.
void StepPopups(World& w) {
  for (Popup& popup : w.Popups) {
    popup.Timer = Add16(popup.Timer, 1);
    popup.Y = Add16(popup.Y, -5);
    if (popup.Timer == 1) {
      popup.Timer = 0;
      popup.Y = 0;
    }
    if (popup.Timer >= 7 && popup.Timer <= 30) popup.Y = Add16(popup.Y, 5);
    if (popup.Timer == 31) {
      popup.Timer = 0;
      popup.Amount = 0;
    }
  }
}

// After 100 steps a standoff ends: the hostage sinks back below the field, where it keeps its slot.
// The third ends the game's patience; before that the standoff moves to another column, never the own
// one nor the one to its left.
void StepStandoff(World& w, RandomSource& random, int i) {
  Unit& u = w.Units[i];
  Hostage& h = w.Hostages[i];
  if (h.Kind != kind::LoneStandoff && h.Kind != kind::FamilyStandoff) return;
  u.Tick = Add16(u.Tick, 1);
  if (u.Tick != 100) return;
  w.StandoffCount = static_cast<std::uint8_t>(w.StandoffCount + 1);
  u.Tick = 0;
  h.Kind = Add16(h.Kind, -100);
  h.Y = 384;
  if (w.StandoffCount == 3) {
    for (Unit& each : w.Units) each.State = unit::LeavingForGood;
    return;
  }
  int t = i + random.Roll(14);
  if (t >= kColumns) t -= kColumns;
  w.Hostages[t].Kind = kind::LoneStandoff;
}

// A unit that gets away with its pair costs 2000 and ends the game when that is more than is left.
void VehicleEscapes(World& w, EffectPlayer& effects, int i, std::int16_t nextState) {
  Unit& u = w.Units[i];
  u.Tick = 0;
  u.Health = 5000;
  u.State = nextState;
  for (Hostage* h : {&w.Hostages[i], &Partner(w, i)}) {
    h->X = 0;
    h->Y = 0;
    h->Kind = kind::Empty;
  }
  w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay - 2);
  AddToTally(w.NotRescued, 2);
  w.Funds -= 2000;
  if (w.Funds < 0) {
    w.Funds = 0;
    w.GameState = GameState::GameOver;
  } else {
    effects.PlayEffect(Effect::Escape);
  }
}

// Moves a vehicle and its pair up by 8.
void LiftPair(World& w, int i) {
  w.Units[i].Y = Add16(w.Units[i].Y, -8);
  w.Hostages[i].Y = Add16(w.Hostages[i].Y, -8);
  Partner(w, i).Y = Add16(Partner(w, i).Y, -8);
}

// The leavers of a phase fly up by 16 until all sixteen are out of sight; then the next phase's
// vehicles form: even columns come down, odd ones are parked.
void LeavePhase(World& w, int phaseEnded) {
  for (int j = 0; j < kColumns; ++j) {
    Unit& u = w.Units[j];
    u.X = static_cast<std::int16_t>(kCell * j);
    u.Tick = 0;
    u.Width = 64;
    u.Height = 32;
    if (j % 2 == 1) {
      u.State = phaseEnded == 1 ? unit::VehicleParked : unit::AircraftParked;
    } else if (phaseEnded == 1) {
      u.State = unit::VehicleArriving;
    } else {
      // Aircraft come down by 16, so they must start on a multiple of 16 to meet the top row.
      if (u.Y % 16 != 0) u.Y = Add16(u.Y, -8);
      u.State = unit::AircraftArriving;
    }
  }
}

// Comes down by `speed` a step: to wait at the top row (32), or to lift at the bottom (304). Vehicles
// and aircraft start their phase once all eight wait at the top.
void ComeDown(World& w, Unit& u, int speed, std::int16_t waiting, std::int16_t lifting, std::int16_t phase) {
  u.Tick = Add16(u.Tick, 1);
  u.Y = Add16(u.Y, speed);
  if (u.Y == 32) {
    u.Tick = 0;
    u.State = waiting;
  }
  if (phase != 0 && CountInState(w, waiting) == 8) w.Phase = phase;
  if (u.Y >= 304) {
    u.State = lifting;
    u.Tick = 0;
  }
}

// One step of unit i by its State: coming down, lifting, escaping, leaving a phase, and the standoffs.
void MoveUnit(World& w, RandomSource& random, EffectPlayer& effects, int i) {
  Unit& u = w.Units[i];
  switch (u.State) {
    case unit::Waiting: StepStandoff(w, random, i); break;
    case unit::Fetching:
    case unit::Arriving: ComeDown(w, u, 8, unit::Waiting, unit::Lifting, 0); break;
    case unit::Lifting:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 3 == 1) {
        u.Y = Add16(u.Y, -8);
        w.Hostages[i].Y = Add16(w.Hostages[i].Y, -8);
      }
      if (u.Y <= -16) {
        // Escaped: the figure reappears low enough to be out of sight above the top row.
        u.Y = 16;
        u.Tick = 0;
        u.State = unit::RisingOut;
        w.Hostages[i] = Hostage{static_cast<std::int16_t>(kCell * i), 384, kind::Empty, w.Hostages[i].Reward};
        w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay - 1);
        AddToTally(w.NotRescued, 1);
        w.Funds -= 1000;
        if (w.Funds < 0) {
          w.Funds = 0;
          // Nobody rescued yet: play goes on without money, towards standoffs.
          if (w.Rescued >= 1) {
            w.GameState = GameState::GameOver;
          } else {
            effects.PlayEffect(Effect::Escape);
          }
        }
      }
      break;
    case unit::RisingOut:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 3 == 1) u.Y = Add16(u.Y, -8);
      if (u.Y == -48) u.State = unit::Arriving;
      break;
    case unit::LeavingPhase1:
    case unit::LeavingPhase2:
      u.Y = Add16(u.Y, -16);
      if (AllUnitsAtOrAbove(w, -48)) LeavePhase(w, u.State == unit::LeavingPhase1 ? 1 : 2);
      break;
    case unit::VehicleFetching:
    case unit::VehicleArriving: ComeDown(w, u, 8, unit::VehicleWaiting, unit::VehicleLifting, 2); break;
    case unit::VehicleLifting:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 2 == 1) LiftPair(w, i);
      if (u.Y <= -16) VehicleEscapes(w, effects, i, unit::VehicleRisingOut);
      break;
    case unit::VehicleRisingOut:
      u.Tick = Add16(u.Tick, 1);
      u.Y = Add16(u.Y, -8);
      if (u.Y == -48) u.State = unit::VehicleArriving;
      break;
    case unit::AircraftFetching:
    case unit::AircraftArriving: ComeDown(w, u, 16, unit::AircraftWaiting, unit::AircraftLifting, 3); break;
    case unit::AircraftLifting:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 4 != 0) LiftPair(w, i);
      if (u.Y <= -16) VehicleEscapes(w, effects, i, unit::AircraftRisingOut);
      break;
    case unit::AircraftRisingOut:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 2 == 1) u.Y = Add16(u.Y, -16);
      if (u.Y <= -48) {
        u.Y = -48;
        u.State = unit::AircraftArriving;
      }
      break;
    case unit::LeavingForGood:
      u.Tick = Add16(u.Tick, 1);
      if (u.Tick % 2 == 1) u.Y = Add16(u.Y, -4);
      if (AllUnitsAtOrAbove(w, -96)) w.GameState = GameState::TerroristsLeft;
      break;
    default: break;
  }
}

// A waiting unit raises the hostages below it by 8 a step; at 320 it comes down for them. In phase 1
// with no money and nobody rescued it stays, and a standoff begins.
void RaiseWaitingHostages(World& w, int i) {
  Unit& u = w.Units[i];
  Hostage& h = w.Hostages[i];
  if (h.Kind != kind::LoneWaiting && h.Kind != kind::FamilyWaiting) return;
  const bool vehicle = u.State == unit::VehicleWaiting || u.State == unit::AircraftWaiting;
  if (u.State != unit::Waiting && !vehicle) return;
  u.Tick = Add16(u.Tick, 1);
  h.Y = Add16(h.Y, -8);
  if (vehicle) Partner(w, i).Y = Add16(Partner(w, i).Y, -8);
  if (h.Y > 320) return;
  u.Tick = 0;
  h.Kind = Add16(h.Kind, 1);
  if (vehicle) {
    Partner(w, i).Kind = Add16(Partner(w, i).Kind, 1);
    u.State = u.State == unit::VehicleWaiting ? unit::VehicleFetching : unit::AircraftFetching;
  } else if (w.Funds != 0 || w.Rescued != 0) {
    u.State = unit::Fetching;
  } else {
    h.Kind = Add16(h.Kind, 100);
  }
}

}  // namespace

void StepActors(World& w, RandomSource& random, EffectPlayer& effects) {
  w.KeyLatch = 0;  // the flag may move one column per world step
  StepShots(w);
  StepVan(w);
  StepBursts(w);
  StepPopups(w);
  // Every unit moves before any raises its hostages, so a unit that arrives at the top row
  // already raises its hostage in the same step.
  for (int i = 0; i < kColumns; ++i) MoveUnit(w, random, effects, i);
  for (int i = 0; i < kColumns; ++i) RaiseWaitingHostages(w, i);
}

}  // namespace talvessa
