// Money meeting units: rescues, vehicles worn down, the ends of phases, and the tallies.
#include <limits>

#include "world_fixture.h"

namespace talvessa::testing {
namespace {

class Hits : public WorldTest {
 protected:
  void Resolve() { ResolveHits(w, effects); }
  void LiftingFigure(int i, std::int16_t y, std::int16_t reward = 100) {
    PutUnit(i, unit::Lifting, y);
    PutHostage(i, reward == 300 ? kind::FamilyTaken : kind::LoneTaken, static_cast<std::int16_t>(y + 16), reward);
    w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay + 1);
  }
  void LiftingVehicle(int i, std::int16_t state, std::int16_t y) {
    PutUnit(i, state, y);
    w.Units[i].Health = 5000;
    PutHostage(i, kind::LoneTaken, static_cast<std::int16_t>(y + 16));
    PutHostage(i + 1, kind::FamilyTaken, static_cast<std::int16_t>(y + 16), 300);
    w.HostagesInPlay = static_cast<std::uint8_t>(w.HostagesInPlay + 2);
  }
};

TEST_F(Hits, ABanknoteFreesALiftedHostageAndPaysItsReward) {
  ParkAll();
  LiftingFigure(5, 200, 300);
  ShotAt(2, 160, 220);
  Resolve();
  EXPECT_EQ(w.Rescued, 1);
  EXPECT_EQ(w.Funds, 3300);
  EXPECT_EQ(w.HostagesInPlay, 0);
  EXPECT_EQ(w.Units[5].State, unit::RisingOut);
  EXPECT_EQ(w.Units[5].Tick, 0);
  EXPECT_EQ(w.Hostages[5].Kind, kind::Empty);
  EXPECT_EQ(w.Hostages[5].Y, 352);
  EXPECT_EQ(w.Shots[2].Active, 0);
  EXPECT_EQ(w.Popups[5].Amount, 300);
  EXPECT_EQ(w.Popups[5].Timer, 1);
  EXPECT_EQ(w.Popups[5].Y, 200);
  EXPECT_EQ(w.Bursts[0].Stage, 1);
  EXPECT_EQ(w.Bursts[0].X, 160);
  EXPECT_EQ(effects.played, std::vector<int>{3});
}

TEST_F(Hits, EdgesTouchingCountVerticallyButNotSideways) {
  ParkAll();
  LiftingFigure(5, 100);
  ShotAt(0, 128, 110);  // one column to the left
  ShotAt(1, 192, 110);  // one column to the right
  ShotAt(2, 160, 132);  // top exactly 32 below the unit's top
  Resolve();
  EXPECT_EQ(w.Rescued, 1);
  EXPECT_EQ(w.Shots[0].Active, 1);
  EXPECT_EQ(w.Shots[1].Active, 1);
  EXPECT_EQ(w.Shots[2].Active, 0);
}

TEST_F(Hits, MoneyPassesUnitsThatAreNotLiftingAndStrikesOnlyOnce) {
  ParkAll();
  for (std::int16_t state : {unit::Waiting, unit::Fetching, unit::RisingOut, unit::Arriving, unit::VehicleWaiting,
                             unit::VehicleFetching, unit::VehicleRisingOut, unit::AircraftFetching,
                             unit::AircraftRisingOut, unit::LeavingForGood}) {
    PutUnit(3, state, 100);
    ShotAt(0, 96, 100);
    Resolve();
    EXPECT_EQ(w.Shots[0].Active, 1) << state;
  }
  EXPECT_EQ(w.Bursts[0].Stage, 0);
  // A vehicle covers its own column and the next: one note over both strikes it once.
  ParkAll();
  LiftingVehicle(6, unit::VehicleLifting, 100);
  ShotAt(0, 224, 100);
  ShotAt(1, 256, 100);  // column 8: beyond the vehicle
  Resolve();
  EXPECT_EQ(w.Units[6].Health, 4000);
  EXPECT_EQ(w.Shots[1].Active, 1);
}

TEST_F(Hits, FourBanknotesLeaveAVehiclesHostagesTheFifthFreesThemEachHitABurst) {
  for (std::int16_t lifting : {unit::VehicleLifting, unit::AircraftLifting}) {
    SCOPED_TRACE(lifting);
    ResetWorld(w, run);
    effects.played.clear();
    ParkAll();
    LiftingVehicle(4, lifting, 120);
    for (int n = 1; n <= 4; ++n) {
      ShotAt(n, 160, 130);
      Resolve();
      EXPECT_EQ(w.Units[4].Health, 5000 - 1000 * n);
      EXPECT_EQ(w.Units[4].State, lifting);
      EXPECT_EQ(w.Bursts[n - 1].Stage, 1);
    }
    EXPECT_EQ(w.Rescued, 0);
    ShotAt(5, 128, 130);
    Resolve();
    EXPECT_EQ(w.Bursts[4].Stage, 1);
    EXPECT_EQ(w.Units[4].State, lifting + 1);
    EXPECT_EQ(w.Units[4].Health, 5000);
    EXPECT_EQ(w.Rescued, 2);
    EXPECT_EQ(w.Funds, 3400);
    EXPECT_EQ(w.Popups[4].Amount, 400);
    EXPECT_EQ(w.Hostages[5].Kind, kind::Empty);
    EXPECT_EQ(w.HostagesInPlay, 0);
    EXPECT_EQ(effects.played, std::vector<int>{5});
  }
}

TEST_F(Hits, ABundleFreesAVehicleAtOnce) {
  ParkAll();
  LiftingVehicle(0, unit::VehicleLifting, 120);
  ShotAt(0, 32, 140, 10000);
  Resolve();
  EXPECT_EQ(w.Rescued, 2);
  EXPECT_EQ(w.Units[0].State, unit::VehicleRisingOut);
  EXPECT_EQ(w.Bursts[0].Stage, 1);
}

TEST_F(Hits, TheHundredthRescueEndsPhaseOneAndEmptiesEverySlotAndShotUncounted) {
  ParkAll(unit::Waiting);
  w.Rescued = 99;
  LiftingFigure(3, 100);
  LiftingFigure(9, 200);  // another hostage on its way up: lost to nobody
  ShotAt(0, 96, 120);
  ShotAt(1, 320, 300);
  ShotAt(7, 0, 10);
  Resolve();
  EXPECT_EQ(w.Rescued, 100);
  EXPECT_EQ(w.NotRescued, 0);
  EXPECT_EQ(w.HostagesInPlay, 0);
  for (const Shot& s : w.Shots) EXPECT_EQ(s.Active, 0);
  for (int i = 0; i < kColumns; ++i) {
    EXPECT_EQ(w.Hostages[i].Kind, kind::Empty);
    EXPECT_EQ(w.Hostages[i].Y, 384);
    EXPECT_EQ(w.Units[i].State, unit::LeavingPhase1);
    EXPECT_EQ(w.Units[i].Health, 5000);
  }
  EXPECT_EQ(w.Units[3].Y, -32);
  EXPECT_EQ(w.Units[9].Y, 200);
  EXPECT_EQ(w.Phase, 1);
  EXPECT_EQ(effects.played, (std::vector<int>{3, 6}));
}

TEST_F(Hits, TheRescueReachingTwoHundredAndFiftyOneEndsPhaseTwoButPhaseThreeNeverEnds) {
  w.Phase = 2;
  ParkAll(unit::VehicleParked);
  w.Rescued = 249;
  LiftingVehicle(2, unit::VehicleLifting, 100);
  LiftingVehicle(10, unit::VehicleLifting, 60);
  w.Units[10].Health = 2000;
  ShotAt(0, 64, 110, 10000);
  Resolve();
  EXPECT_EQ(w.Rescued, 251);
  EXPECT_EQ(w.Phase, 0);
  EXPECT_EQ(w.HostagesInPlay, 0);
  for (const Unit& u : w.Units) EXPECT_EQ(u.State, unit::LeavingPhase2);
  EXPECT_EQ(w.Units[10].Health, 2000);  // the end of phase 2 leaves the damage
  EXPECT_EQ(w.Units[2].Y, -32);
  EXPECT_EQ(effects.played, (std::vector<int>{5, 6}));

  ResetWorld(w, run);
  effects.played.clear();
  w.Phase = 3;
  ParkAll(unit::AircraftParked);
  w.Rescued = 400;
  LiftingVehicle(2, unit::AircraftLifting, 100);
  ShotAt(0, 64, 110, 10000);
  Resolve();
  EXPECT_EQ(w.Rescued, 402);
  EXPECT_EQ(w.Phase, 3);
  EXPECT_EQ(w.Units[2].State, unit::AircraftRisingOut);
  EXPECT_EQ(w.Units[4].State, unit::AircraftParked);
  EXPECT_EQ(effects.played, std::vector<int>{5});
}

TEST_F(Hits, AFullBurstTableOnlyLosesTheFlash) {
  ParkAll();
  for (Burst& b : w.Bursts) b.Stage = 3;
  LiftingFigure(1, 100);
  ShotAt(0, 32, 100);
  Resolve();
  EXPECT_EQ(w.Rescued, 1);
  for (const Burst& b : w.Bursts) EXPECT_EQ(b.Stage, 3);
}

TEST_F(Hits, TalliesStopAtTheTopOfTheirWidth) {
  constexpr std::int32_t kTop32 = std::numeric_limits<std::int32_t>::max();
  w.Phase = 3;
  ParkAll(unit::AircraftParked);
  w.Rescued = 32766;
  w.Funds = kTop32 - 100;
  LiftingVehicle(0, unit::AircraftLifting, 100);
  ShotAt(0, 0, 100, 10000);
  Resolve();
  EXPECT_EQ(w.Rescued, 32767);
  EXPECT_EQ(w.Funds, kTop32);
  LiftingFigure(4, 100);
  w.Units[4].State = unit::Lifting;
  ShotAt(0, 128, 100);
  w.Phase = 1;
  Resolve();
  EXPECT_EQ(w.Rescued, 32767);

  w.NotRescued = 32766;
  w.Funds = 5000;
  LiftingVehicle(6, unit::AircraftLifting, -8);
  Step();
  EXPECT_EQ(w.NotRescued, 32767);

  w.ShotsYen = kTop32 - 500;
  ThrowBanknote(w, effects);
  EXPECT_EQ(w.ShotsYen, kTop32);
  EXPECT_EQ(w.Funds, 2990);
}

}  // namespace
}  // namespace talvessa::testing
