// Money meeting units. Only a unit that is lifting hostages can be hit: a figure gives up its hostage
// at once, a vehicle once 5000 worth of money has struck it.
#include "world/rules.h"

namespace talvessa {

namespace {

// Touching edges count vertically but not sideways, so a shot meets only the unit of its own column
// or the vehicle that covers it.
bool Overlaps(const Shot& shot, const Unit& u) {
  return u.Y + u.Height >= shot.Y && shot.Y + 32 >= u.Y && shot.X + 32 > u.X && u.X + u.Width > shot.X;
}

void Remove(Shot& shot) {
  shot.Active = 0;
  shot.X = 0;
  shot.Y = 0;
}

// A flash where the money struck, in the first free burst record; none when all are busy.
void MakeBurst(World& w, std::int16_t x, std::int16_t y) {
  for (Burst& burst : w.Bursts) {
    if (burst.Stage == 0) {
      burst = Burst{x, y, 1};
      return;
    }
  }
}

void Pay(World& w, int j, std::int16_t x, std::int16_t amount) {
  w.Popups[j] = Popup{x, w.Units[j].Y, 1, amount};
  AddToTally(w.Funds, amount);
}

void Free(Hostage& h) {
  h.Kind = kind::Empty;
  h.X = 0;
  h.Y = 352;
}

// The phase is won: every hostage slot and shot is emptied uncounted, and the units leave.
void EndPhase(World& w, int j, std::int16_t leavingState, EffectPlayer& effects) {
  ClearTables(w, kHostageTable | kShotTable);
  w.HostagesInPlay = 0;
  for (Unit& u : w.Units) u.State = leavingState;
  w.Units[j].Y = -32;
  effects.PlayEffect(Effect::PhaseWon);
}

void RescueOne(World& w, Shot& shot, int j, EffectPlayer& effects) {
  Unit& u = w.Units[j];
  Pay(w, j, shot.X, w.Hostages[j].Reward);
  MakeBurst(w, shot.X, u.Y);
  u.Tick = 0;
  u.State = unit::RisingOut;
  Remove(shot);
  Free(w.Hostages[j]);
  w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay - 1);
  AddToTally(w.Rescued, 1);
  effects.PlayEffect(Effect::OneRescued);
  if (w.Rescued >= 100) {
    for (Unit& each : w.Units) each.Health = 5000;
    EndPhase(w, j, unit::LeavingPhase1, effects);
  }
}

void StrikeVehicle(World& w, Shot& shot, int j, EffectPlayer& effects) {
  Unit& u = w.Units[j];
  Hostage& partner = w.Hostages[(j + 1) % kColumns];
  u.Health = static_cast<std::int16_t>(u.Health - shot.Value);
  MakeBurst(w, shot.X, u.Y);
  if (u.Health <= 0) {
    Pay(w, j, shot.X, static_cast<std::int16_t>(w.Hostages[j].Reward + partner.Reward));
    u.Tick = 0;
    u.State = static_cast<std::int16_t>(u.State + 1);
    u.Health = 5000;
    Free(w.Hostages[j]);
    Free(partner);
    w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay - 2);
    AddToTally(w.Rescued, 2);
    effects.PlayEffect(Effect::TwoRescued);
    // Phase 3 has no end of its own.
    if (u.State == unit::VehicleRisingOut && w.Rescued >= 251) {
      w.Phase = 0;
      EndPhase(w, j, unit::LeavingPhase2, effects);
    }
  }
  Remove(shot);
}

}  // namespace

void ResolveHits(World& w, EffectPlayer& effects) {
  for (Shot& shot : w.Shots) {
    if (shot.Active != 1) continue;
    for (int j = 0; j < kColumns; ++j) {
      const std::int16_t state = w.Units[j].State;
      if (!Overlaps(shot, w.Units[j])) continue;
      if (state == unit::Lifting) {
        RescueOne(w, shot, j, effects);
      } else if (state == unit::VehicleLifting || state == unit::AircraftLifting) {
        StrikeVehicle(w, shot, j, effects);
      } else {
        continue;  // waiting, coming down or leaving: the money flies on
      }
      break;  // a shot strikes once
    }
  }
}

}  // namespace talvessa
