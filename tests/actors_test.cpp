// The units' timelines and the other movers of a world step.
#include "world_fixture.h"

namespace talvessa::testing {
namespace {

using Actors = WorldTest;

TEST_F(Actors, UnitsReachTheTopRowAndWaitAfterEightSteps) {
  for (int n = 1; n <= 7; ++n) Step();
  EXPECT_EQ(w.Units[5].Y, 24);
  EXPECT_EQ(w.Units[5].State, unit::Arriving);
  Step();
  for (const Unit& u : w.Units) {
    EXPECT_EQ(u.Y, 32);
    EXPECT_EQ(u.State, unit::Waiting);
    EXPECT_EQ(u.Tick, 0);
  }
}

TEST_F(Actors, APhaseOneFigureFetchesInThirtyFourStepsAndLiftsInAHundredAndEighteen) {
  ParkAll();
  PutUnit(3, unit::Waiting, 32);
  PutHostage(3, kind::LoneWaiting, 384);
  // The hostage rises 384 -> 320 in eight steps; then the figure comes down.
  EXPECT_EQ(StepsUntil([&] { return w.Units[3].State == unit::Fetching; }), 8);
  EXPECT_EQ(w.Hostages[3].Kind, kind::LoneTaken);
  EXPECT_EQ(w.Hostages[3].Y, 320);
  // 32 -> 304 counts from the top row: the first fetching step already moved it to 40.
  w.Units[3].Y = 32;
  EXPECT_EQ(StepsUntil([&] { return w.Units[3].State == unit::Lifting; }), 34);
  EXPECT_EQ(w.Units[3].Y, 304);
  // The hostage moves with it, every third step.
  Step();
  EXPECT_EQ(w.Units[3].Y, 296);
  EXPECT_EQ(w.Hostages[3].Y, 312);
  Step();
  Step();
  EXPECT_EQ(w.Units[3].Y, 296);
  EXPECT_EQ(StepsUntil([&] { return w.Units[3].State != unit::Lifting; }) + 3, 118);
}

TEST_F(Actors, VehiclesAndAircraftFetchAndLiftFaster) {
  ParkAll();
  PutUnit(4, unit::VehicleFetching, 32);
  EXPECT_EQ(StepsUntil([&] { return w.Units[4].State == unit::VehicleLifting; }), 34);
  w.HostagesInPlay = 2;
  EXPECT_EQ(StepsUntil([&] { return w.Units[4].State != unit::VehicleLifting; }), 79);
  EXPECT_EQ(w.Units[4].State, unit::VehicleRisingOut);

  PutUnit(6, unit::AircraftFetching, 32);
  EXPECT_EQ(StepsUntil([&] { return w.Units[6].State == unit::AircraftLifting; }), 17);
  w.HostagesInPlay = 2;
  EXPECT_EQ(StepsUntil([&] { return w.Units[6].State != unit::AircraftLifting; }), 53);
  EXPECT_EQ(w.Units[6].State, unit::AircraftRisingOut);
}

TEST_F(Actors, AVehicleRaisesAndCarriesBothHostagesOfItsPair) {
  ParkAll();
  PutUnit(8, unit::VehicleWaiting, 32);
  PutHostage(8, kind::FamilyWaiting, 384, 300);
  PutHostage(9, kind::LoneWaiting, 384);
  EXPECT_EQ(StepsUntil([&] { return w.Units[8].State == unit::VehicleFetching; }), 8);
  EXPECT_EQ(w.Hostages[8].Kind, kind::FamilyTaken);
  EXPECT_EQ(w.Hostages[9].Kind, kind::LoneTaken);
  EXPECT_EQ(w.Hostages[9].Y, 320);
  StepsUntil([&] { return w.Units[8].State == unit::VehicleLifting; });
  Step();
  EXPECT_EQ(w.Hostages[8].Y, 312);
  EXPECT_EQ(w.Hostages[9].Y, 312);
}

TEST_F(Actors, AnEscapedFigureReappearsAtSixteenRisingOutAndWaitsAgainThirtyTwoStepsLater) {
  ParkAll();
  w.HostagesInPlay = 1;
  PutUnit(2, unit::Lifting, -8, 3);  // its next step moves it to -16
  PutHostage(2, kind::LoneTaken, 8);
  Step();
  EXPECT_EQ(w.Units[2].Y, 16);
  EXPECT_EQ(w.Units[2].State, unit::RisingOut);
  EXPECT_EQ(w.Hostages[2].Kind, kind::Empty);
  EXPECT_EQ(w.Hostages[2].Y, 384);
  EXPECT_EQ(w.Hostages[2].X, 64);
  EXPECT_EQ(w.HostagesInPlay, 0);
  EXPECT_EQ(w.NotRescued, 1);
  EXPECT_EQ(w.Funds, 2000);
  EXPECT_EQ(StepsUntil([&] { return w.Units[2].Y == -48; }), 22);
  EXPECT_EQ(StepsUntil([&] { return w.Units[2].State == unit::Waiting; }), 10);
  EXPECT_EQ(w.Units[2].Y, 32);
}

class PhaseOneEscape : public Actors {
 protected:
  void EscapeWith(std::int32_t funds, std::int16_t rescued) {
    ParkAll();
    w.Funds = funds;
    w.Rescued = rescued;
    w.HostagesInPlay = 1;
    PutUnit(0, unit::Lifting, -8, 3);
    PutHostage(0, kind::LoneTaken, 8);
    Step();
  }
};

TEST_F(PhaseOneEscape, BelowZeroEndsTheGameOnceSomebodyWasRescued) {
  EscapeWith(999, 1);
  EXPECT_EQ(w.Funds, 0);
  EXPECT_EQ(w.GameState, GameState::GameOver);
  EXPECT_TRUE(effects.played.empty());
}

TEST_F(PhaseOneEscape, LeavingExactlyZeroGoesOnSilently) {
  EscapeWith(1000, 1);
  EXPECT_EQ(w.Funds, 0);
  EXPECT_EQ(w.GameState, GameState::Playing);
  EXPECT_TRUE(effects.played.empty());
}

TEST_F(PhaseOneEscape, BelowZeroWithNobodyRescuedPlaysTheEscapeAndGoesOnTowardsAStandoff) {
  EscapeWith(500, 0);
  EXPECT_EQ(w.Funds, 0);
  EXPECT_EQ(w.GameState, GameState::Playing);
  EXPECT_EQ(effects.played, std::vector<int>{8});
  // The next hostage to rise is held in a standoff and its figure stays at the top.
  PutUnit(5, unit::Waiting, 32);
  PutHostage(5, kind::LoneWaiting, 328);
  Step();
  EXPECT_EQ(w.Hostages[5].Kind, kind::LoneStandoff);
  EXPECT_EQ(w.Units[5].State, unit::Waiting);
}

TEST_F(Actors, VehicleEscapesCostTwoThousandAndPlayTheEscapeWhileMoneyLasts) {
  for (std::int16_t lifting : {unit::VehicleLifting, unit::AircraftLifting}) {
    SCOPED_TRACE(lifting);
    ResetWorld(w, run);
    w.GameState = GameState::Playing;
    effects.played.clear();
    ParkAll();
    w.Funds = 2000;
    w.HostagesInPlay = 2;
    PutUnit(4, lifting, -8, 0);
    PutHostage(4, kind::LoneTaken, 24);
    PutHostage(5, kind::FamilyTaken, 24, 300);
    Step();
    EXPECT_EQ(w.Units[4].State, lifting + 1);
    EXPECT_EQ(w.Units[4].Health, 5000);
    EXPECT_EQ(w.Funds, 0);
    EXPECT_EQ(w.NotRescued, 2);
    EXPECT_EQ(w.HostagesInPlay, 0);
    EXPECT_EQ(w.Hostages[5].Kind, kind::Empty);
    EXPECT_EQ(w.GameState, GameState::Playing);
    EXPECT_EQ(effects.played, std::vector<int>{8});
    // The next escape with no money left ends the game, silently.
    effects.played.clear();
    w.HostagesInPlay = 2;
    PutUnit(4, lifting, -8, 0);
    PutHostage(4, kind::LoneTaken, 24);
    PutHostage(5, kind::LoneTaken, 24);
    Step();
    EXPECT_EQ(w.GameState, GameState::GameOver);
    EXPECT_TRUE(effects.played.empty());
  }
}

TEST_F(Actors, StandoffsMoveOnTwiceAndAfterTheThirdEveryUnitLeavesAndTheGameEnds) {
  w.Funds = 0;
  for (int n = 0; n < 8; ++n) Step();  // all wait at the top
  PutHostage(7, kind::LoneWaiting, 384);
  w.HostagesInPlay = 1;
  EXPECT_EQ(StepsUntil([&] { return w.Hostages[7].Kind == kind::LoneStandoff; }), 8);
  // A hundred steps later it sinks back, keeping its slot, and the standoff moves to 7 + 3.
  random.QueueRoll(3, 14);
  EXPECT_EQ(StepsUntil([&] { return w.StandoffCount == 1; }), 100);
  EXPECT_EQ(w.Hostages[7].Kind, kind::LoneTaken);
  EXPECT_EQ(w.Hostages[7].Y, 384);
  EXPECT_EQ(w.Hostages[10].Kind, kind::LoneStandoff);
  EXPECT_EQ(w.HostagesInPlay, 1);
  // The moved standoff starts in the same step: unit 10 comes after 7 in the pass.
  EXPECT_EQ(w.Units[10].Tick, 1);
  random.QueueRoll(14, 14);  // 10 + 14 - 16 = 8
  EXPECT_EQ(StepsUntil([&] { return w.StandoffCount == 2; }), 99);
  EXPECT_EQ(w.Hostages[8].Kind, kind::LoneStandoff);
  // Unit 8 comes before 10: its standoff starts counting at the next step.
  EXPECT_EQ(StepsUntil([&] { return w.StandoffCount == 3; }), 100);
  for (const Unit& u : w.Units) EXPECT_EQ(u.State, unit::LeavingForGood);
  EXPECT_EQ(random.draws, 2);
  // Leaving: 4 pixels every second step from 32 to -96.
  EXPECT_EQ(StepsUntil([&] { return w.GameState == GameState::TerroristsLeft; }), 63);
  for (const Unit& u : w.Units) EXPECT_LE(u.Y, -96);
}

TEST_F(Actors, TheStandoffNeverMovesToItsOwnColumnNorTheOneToItsLeft) {
  for (int i = 0; i < kColumns; ++i) {
    for (int roll = 1; roll <= 14; ++roll) {
      ResetWorld(w, run);
      ParkAll();
      PutUnit(i, unit::Waiting, 32, 99);
      PutHostage(i, kind::FamilyStandoff, 320, 300);
      const int expected = (i + roll) % kColumns;
      PutHostage(expected, kind::FamilyWaiting, 352, 300);  // whatever the slot held
      random.QueueRoll(roll, 14);
      Step();
      ASSERT_NE(expected, i);
      ASSERT_NE(expected, (i + 15) % kColumns);
      EXPECT_EQ(w.Hostages[expected].Kind, kind::LoneStandoff) << i << " " << roll;
      EXPECT_EQ(w.Hostages[expected].Reward, 300);
      EXPECT_EQ(w.Hostages[i].Kind, kind::FamilyTaken);
    }
  }
}

TEST_F(Actors, TheVanDrivesInStandsAndIsBackIdleFiftyFourStepsAfterItStarts) {
  w.VanTimer = 1;
  EXPECT_EQ(StepsUntil([&] { return w.VanX == 240; }), 17);
  for (int n = 0; n < 18; ++n) {
    Step();
    EXPECT_EQ(w.VanX, 240);
  }
  Step();
  EXPECT_EQ(w.VanX, 224);
  EXPECT_EQ(StepsUntil([&] { return w.VanTimer == 0; }), 18);
  EXPECT_EQ(w.VanX, 512);
  for (int n = 0; n < 5; ++n) Step();  // an idle van stays idle
  EXPECT_EQ(w.VanTimer, 0);
  EXPECT_EQ(w.VanX, 512);
}

TEST_F(Actors, ShotsBurstsAndPopupsRunTheirCourse) {
  ShotAt(3, 96, 40);
  w.Shots[3].Value = 10000;
  Step();
  EXPECT_EQ(w.Shots[3].Y, 16);
  Step();  // -8: still in flight
  EXPECT_EQ(w.Shots[3].Active, 1);
  Step();  // -32: gone, keeping its value
  EXPECT_EQ(w.Shots[3].Active, 0);
  EXPECT_EQ(w.Shots[3].Y, 0);
  EXPECT_EQ(w.Shots[3].Value, 10000);

  w.Bursts[2] = Burst{10, 20, 1};
  std::vector<int> stages;
  for (int n = 0; n < 7; ++n) {
    Step();
    stages.push_back(w.Bursts[2].Stage);
  }
  EXPECT_EQ(stages, (std::vector<int>{2, 3, 4, 5, 6, 7, 0}));

  w.Popups[4] = Popup{128, 200, 1, 300};
  w.Popups[5] = Popup{0, 77, 0, 0};
  for (int n = 0; n < 5; ++n) Step();
  EXPECT_EQ(w.Popups[4].Y, 175);
  EXPECT_EQ(w.Popups[5].Y, 0);  // an idle popup rests at 0
  EXPECT_EQ(w.Popups[5].Timer, 0);
  for (int n = 0; n < 24; ++n) Step();
  EXPECT_EQ(w.Popups[4].Timer, 30);
  EXPECT_EQ(w.Popups[4].Y, 175);
  Step();
  EXPECT_EQ(w.Popups[4].Timer, 0);
  EXPECT_EQ(w.Popups[4].Amount, 0);
}

TEST_F(Actors, ThePhaseOneLeaversBecomeVehiclesAllAtOnceWhenTheLastIsOutOfSight) {
  for (int i = 0; i < kColumns; ++i) PutUnit(i, unit::LeavingPhase1, -48);
  w.Units[9].Y = -16;  // the slowest
  Step();
  EXPECT_EQ(w.Units[9].Y, -32);
  EXPECT_EQ(w.Units[0].State, unit::LeavingPhase1);
  Step();
  // Units 0..8 moved before 9 made it; 9 converted everyone, and 10..15 acted as vehicles at once.
  EXPECT_EQ(w.Units[8].Y, -80);
  EXPECT_EQ(w.Units[8].State, unit::VehicleArriving);
  EXPECT_EQ(w.Units[9].State, unit::VehicleParked);
  EXPECT_EQ(w.Units[10].Y, -56);
  EXPECT_EQ(w.Units[10].Tick, 1);
  for (int i = 0; i < kColumns; ++i) {
    EXPECT_EQ(w.Units[i].Width, 64);
    EXPECT_EQ(w.Units[i].X, 32 * i);
  }
  // Phase 2 begins when all eight vehicles wait at the top row.
  EXPECT_EQ(w.Phase, 1);
  StepsUntil([&] { return w.Phase == 2; });
  for (int i = 0; i < kColumns; i += 2) EXPECT_EQ(w.Units[i].State, unit::VehicleWaiting);
}

TEST_F(Actors, ThePhaseTwoLeaversBecomeAircraftOnRowsTheyCanMeetAndKeepTheirHealth) {
  w.Phase = 0;
  for (int i = 0; i < kColumns; ++i) PutUnit(i, unit::LeavingPhase2, -40);
  w.Units[0].Y = -24;
  w.Units[4].Health = 3000;  // struck but not freed when the phase ended
  Step();
  EXPECT_EQ(w.Units[0].State, unit::LeavingPhase2);  // unit 0 is not yet out of sight
  Step();
  // Unit 0 found everyone out of sight: -56 is no multiple of 16, so each was aligned to -64, and the
  // units after it came down by 16 in the same step.
  EXPECT_EQ(w.Units[0].Y, -64);
  EXPECT_EQ(w.Units[2].Y, -48);
  EXPECT_EQ(w.Units[2].State, unit::AircraftArriving);
  EXPECT_EQ(w.Units[1].State, unit::AircraftParked);
  EXPECT_EQ(w.Units[4].Health, 3000);
  EXPECT_EQ(StepsUntil([&] { return w.Phase == 3; }), 6);
  for (int i = 0; i < kColumns; i += 2) {
    EXPECT_EQ(w.Units[i].State, unit::AircraftWaiting);
    EXPECT_EQ(w.Units[i].Y, 32);
  }
}

TEST_F(Actors, AnAircraftRisingOutStopsAtMinusFortyEightAndComesBack) {
  ParkAll();
  PutUnit(2, unit::AircraftRisingOut, -40);
  Step();
  EXPECT_EQ(w.Units[2].Y, -48);
  EXPECT_EQ(w.Units[2].State, unit::AircraftArriving);
  EXPECT_EQ(StepsUntil([&] { return w.Units[2].State == unit::AircraftWaiting; }), 5);
}

}  // namespace
}  // namespace talvessa::testing
