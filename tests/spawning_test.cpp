// Where and when hostages appear, and how many may be in play.
#include "world_fixture.h"

namespace talvessa::testing {
namespace {

using Spawning = WorldTest;

TEST_F(Spawning, PhaseOneSpawnsUnderAWaitingFigureOnARollOfTenOrLess) {
  ParkAll();
  PutUnit(3, unit::Waiting, 32);
  PutUnit(6, unit::Waiting, 32);
  PutUnit(9, unit::Waiting, 32);
  PutHostage(6, kind::LoneTaken, 384);  // a slot still held is never eligible
  w.HostagesInPlay = 0;
  random.QueueRoll(11, 1000);  // column 3: nothing
  random.QueueRoll(10, 1000);  // column 9: a hostage
  random.QueueRoll(11, 100);   //   a lone person
  SpawnPhase1(w, random);
  EXPECT_EQ(random.draws, 3);
  EXPECT_EQ(w.Hostages[3].Kind, kind::Empty);
  EXPECT_EQ(w.Hostages[9].Kind, kind::LoneWaiting);
  EXPECT_EQ(w.Hostages[9].Reward, 100);
  EXPECT_EQ(w.Hostages[9].X, 288);
  EXPECT_EQ(w.Hostages[9].Y, 384);
  EXPECT_EQ(w.HostagesInPlay, 1);
}

TEST_F(Spawning, OneInTenIsAParentWithChild) {
  ParkAll();
  PutUnit(0, unit::Waiting, 32);
  random.QueueRoll(1, 1000);
  random.QueueRoll(10, 100);
  SpawnPhase1(w, random);
  EXPECT_EQ(w.Hostages[0].Kind, kind::FamilyWaiting);
  EXPECT_EQ(w.Hostages[0].Reward, 300);
}

TEST_F(Spawning, TheCapCountsHostagesSpawnedEarlierInTheSameCall) {
  for (int i = 0; i < kColumns; ++i) PutUnit(i, unit::Waiting, 32);
  w.Rescued = 30;  // a cap of two
  for (int n = 0; n < 2; ++n) {
    random.QueueRoll(1, 1000);
    random.QueueRoll(50, 100);
  }
  SpawnPhase1(w, random);
  EXPECT_EQ(random.draws, 4);  // columns 2..15 are not even rolled for
  EXPECT_EQ(w.HostagesInPlay, 2);
  EXPECT_EQ(w.Hostages[1].Kind, kind::LoneWaiting);
}

TEST_F(Spawning, TheCapsFollowThePeopleRescued) {
  const std::pair<int, int> phase1[] = {{-1, 0}, {0, 1},  {20, 1}, {21, 2}, {40, 2}, {41, 3},
                                        {60, 3}, {61, 5}, {80, 5}, {81, 7}, {100, 7}, {101, 0}};
  for (auto [rescued, cap] : phase1) EXPECT_EQ(SpawnCapPhase1(rescued), cap) << rescued;
  const std::pair<int, int> phase23[] = {{99, 0},  {100, 2}, {120, 2}, {121, 4},  {140, 4},   {141, 6},
                                         {170, 6}, {171, 8}, {210, 8}, {211, 10}, {250, 10},  {251, 2},
                                         {270, 2}, {271, 4}, {310, 4}, {311, 6},  {390, 6},   {391, 8},
                                         {450, 8}, {451, 10}, {510, 10}, {511, 12}, {32767, 12}};
  for (auto [rescued, cap] : phase23) EXPECT_EQ(SpawnCapPhase23(rescued), cap) << rescued;
}

TEST_F(Spawning, PairsAppearOnlyUnderWaitingVehiclesOnEvenColumnsWithThreeRolls) {
  w.Phase = 2;
  w.Rescued = 150;  // a cap of six
  ParkAll(unit::VehicleParked);
  for (int i = 0; i < kColumns; ++i) w.Units[i].State = unit::VehicleWaiting;  // odd ones too
  PutHostage(2, kind::LoneTaken, 384);
  random.QueueRoll(20, 1000);  // column 0: a pair
  random.QueueRoll(5, 100);    //   left: parent with child
  random.QueueRoll(50, 100);   //   right: lone
  random.QueueRoll(21, 1000);  // column 4: nothing (2 is held)
  random.QueueRoll(1, 1000);   // column 6: a pair
  random.QueueRoll(50, 100);
  random.QueueRoll(1, 100);
  for (int i = 8; i <= 14; i += 2) random.QueueRoll(1000, 1000);  // below the cap of six: they roll
  SpawnPhase23(w, random);
  EXPECT_EQ(random.draws, 11);
  ASSERT_EQ(random.fractions.size(), 0u);
  EXPECT_EQ(w.Hostages[0].Kind, kind::FamilyWaiting);
  EXPECT_EQ(w.Hostages[0].Reward, 300);
  EXPECT_EQ(w.Hostages[1].Kind, kind::LoneWaiting);
  EXPECT_EQ(w.Hostages[1].X, 32);
  EXPECT_EQ(w.Hostages[7].Kind, kind::FamilyWaiting);
  EXPECT_EQ(w.HostagesInPlay, 4);
}

TEST_F(Spawning, TheThresholdRisesAtAThousandAndTwoThousandRescued) {
  w.Phase = 3;
  ParkAll(unit::AircraftParked);
  w.Units[0].State = unit::AircraftWaiting;
  const std::pair<int, int> cases[] = {{999, 20}, {1000, 21}, {2000, 22}};
  for (auto [rescued, threshold] : cases) {
    w.Rescued = static_cast<std::int16_t>(rescued);
    w.Hostages[0].Kind = kind::Empty;
    w.HostagesInPlay = 0;
    random.QueueRoll(threshold + 1, 1000);
    SpawnPhase23(w, random);
    EXPECT_EQ(w.HostagesInPlay, 0) << rescued;
    random.QueueRoll(threshold, 1000);
    random.QueueRoll(50, 100);
    random.QueueRoll(50, 100);
    SpawnPhase23(w, random);
    EXPECT_EQ(w.HostagesInPlay, 2) << rescued;
  }
}

TEST_F(Spawning, EachSpawnerRunsOnlyInItsPhases) {
  for (int i = 0; i < kColumns; ++i) w.Units[i].State = unit::Waiting;
  w.Phase = 2;
  SpawnPhase1(w, random);
  w.Phase = 0;
  SpawnPhase1(w, random);
  SpawnPhase23(w, random);
  w.Phase = 1;
  w.Rescued = 150;
  for (int i = 0; i < kColumns; ++i) w.Units[i].State = unit::VehicleWaiting;
  SpawnPhase23(w, random);
  EXPECT_EQ(random.draws, 0);
}

}  // namespace
}  // namespace talvessa::testing
