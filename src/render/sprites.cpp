// The passes over the world's tables: units, shots, hostages and bursts. Each walks its table from
// index 0 to 15, so a higher index covers a lower one where they overlap.
#include "present/sheet.h"
#include "render/render.h"

namespace talvessa {

namespace {

constexpr std::int16_t kBanknoteValue = 1000;
constexpr int kFamilyCalmFromY = 320;  // a parent with child is calm in the bottom rows

// Walkers change picture at every 8-pixel step: the first picture on multiples of 16 (negative too).
bool FirstPose(int y) { return y % 16 == 0; }

}  // namespace

void DrawUnits(const World& world, Surface& composition, const Surface& chip) {
  for (const Unit& u : world.Units) {
    switch (u.State) {
      case unit::Waiting:
      case unit::Fetching:
      case unit::Arriving:
        DrawMasked(composition, u.X, u.Y, chip, FirstPose(u.Y) ? sheet::kFigureA1 : sheet::kFigureA2);
        break;
      case unit::Lifting:
      case unit::LeavingPhase1:
      case unit::LeavingForGood:
        DrawMasked(composition, u.X, u.Y, chip, FirstPose(u.Y) ? sheet::kFigureB1 : sheet::kFigureB2);
        break;
      case unit::VehicleWaiting: DrawMasked(composition, u.X, u.Y, chip, sheet::kVehicleDown); break;
      case unit::VehicleFetching:
      case unit::VehicleArriving:
        // Coming down, the ladders ride on the side away from the front.
        DrawMasked(composition, u.X, u.Y, chip, sheet::kVehicleDown);
        DrawMasked(composition, u.X, u.Y - kCell, chip, sheet::kLaddersAbove);
        break;
      case unit::VehicleLifting:
        DrawMasked(composition, u.X, u.Y, chip, sheet::kVehicleUp);
        DrawMasked(composition, u.X, u.Y + kCell, chip, sheet::kLaddersBelow);
        break;
      case unit::LeavingPhase2: DrawMasked(composition, u.X, u.Y, chip, sheet::kVehicleUp); break;
      // The aircraft is 64 high whatever the record's Height.
      case unit::AircraftWaiting:
      case unit::AircraftFetching:
      case unit::AircraftArriving: DrawMasked(composition, u.X, u.Y, chip, sheet::kAircraftDown); break;
      case unit::AircraftLifting: DrawMasked(composition, u.X, u.Y, chip, sheet::kAircraftUp); break;
      default: break;  // fleeing or parked units are not seen
    }
  }
}

void DrawShots(const World& world, Surface& composition, const Surface& chip) {
  for (const Shot& s : world.Shots) {
    if (s.Active != 1) continue;
    DrawMasked(composition, s.X, s.Y, chip, s.Value == kBanknoteValue ? sheet::kBanknote : sheet::kBundle);
  }
}

void DrawHostages(const World& world, Surface& composition, Surface& background, const Surface& chip) {
  for (const Hostage& h : world.Hostages) {
    switch (h.Kind) {
      case kind::LoneWaiting:
      case kind::LoneTaken: DrawMasked(composition, h.X, h.Y, chip, sheet::kLonePerson); break;
      case kind::LoneStandoff:
        // Stamped into the ground as well, where it stays until the next game's ground is built.
        DrawMasked(composition, h.X, h.Y, chip, sheet::kLonePerson);
        DrawMasked(background, h.X, h.Y, chip, sheet::kLonePerson);
        break;
      case kind::FamilyWaiting:
      case kind::FamilyTaken:
      case kind::FamilyStandoff: {
        const SpriteCell& cell = h.Y >= kFamilyCalmFromY ? sheet::kFamilyCalm
                                 : FirstPose(h.Y)        ? sheet::kFamilyDistress1
                                                         : sheet::kFamilyDistress2;
        DrawMasked(composition, h.X, h.Y, chip, cell);
        break;
      }
      default: break;
    }
  }
}

void DrawBursts(const World& world, Surface& composition, const Surface& chip) {
  for (const Burst& b : world.Bursts) {
    if (b.Stage >= 1 && b.Stage <= 3) {
      DrawMasked(composition, b.X, b.Y, chip, sheet::kBurstClosed);
    } else if (b.Stage == 4 || b.Stage == 5) {
      DrawMasked(composition, b.X, b.Y, chip, sheet::kBurstOpening);
    } else if (b.Stage == 6 || b.Stage == 7) {
      DrawMasked(composition, b.X, b.Y, chip, sheet::kBurstOpen);
    }
  }
}

}  // namespace talvessa
