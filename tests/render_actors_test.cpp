// The moving sprites of play: units by their state, shots, hostages by their kind, bursts by their stage.
#include "render/render.h"

#include <gtest/gtest.h>

#include "render_fixture.h"
#include "pixel_at.h"

namespace talvessa::testing {
namespace {

TEST_F(RenderUnits, FiguresFaceByStateAndChangePoseEveryEightPixels) {
  struct Way {
    std::int16_t state;
    SpriteCell first, second;
  };
  const Way ways[] = {
      {unit::Waiting, sheet::kFigureA1, sheet::kFigureA2},
      {unit::Fetching, sheet::kFigureA1, sheet::kFigureA2},
      {unit::Arriving, sheet::kFigureA1, sheet::kFigureA2},
      {unit::Lifting, sheet::kFigureB1, sheet::kFigureB2},
      {unit::LeavingPhase1, sheet::kFigureB1, sheet::kFigureB2},
      {unit::LeavingForGood, sheet::kFigureB1, sheet::kFigureB2},
  };
  for (const Way& way : ways) {
    for (int y : {-48, -32, -24, -16, -8, 0, 8, 16, 24, 32, 40, 352}) {
      Fresh();
      world.Units[5] = Unit{160, static_cast<std::int16_t>(y), 32, 32, 0, way.state, 1};
      DrawUnits(world, composition, chip);
      PaintSprite(expected, 160, y, y % 16 == 0 ? way.first : way.second);
      EXPECT_TRUE(SamePicture(composition, expected)) << "state " << way.state << " at y " << y;
    }
  }
}

TEST_F(RenderUnits, VehiclesLaddersAndAircraftByState) {
  struct Part {
    int dy;
    SpriteCell cell;
  };
  struct Case {
    std::int16_t state;
    std::vector<Part> parts;
  };
  const Case cases[] = {
      {unit::VehicleWaiting, {{0, sheet::kVehicleDown}}},
      {unit::VehicleFetching, {{0, sheet::kVehicleDown}, {-32, sheet::kLaddersAbove}}},
      {unit::VehicleArriving, {{0, sheet::kVehicleDown}, {-32, sheet::kLaddersAbove}}},
      {unit::VehicleLifting, {{0, sheet::kVehicleUp}, {32, sheet::kLaddersBelow}}},
      {unit::LeavingPhase2, {{0, sheet::kVehicleUp}}},
      {unit::AircraftWaiting, {{0, sheet::kAircraftDown}}},
      {unit::AircraftFetching, {{0, sheet::kAircraftDown}}},
      {unit::AircraftArriving, {{0, sheet::kAircraftDown}}},
      {unit::AircraftLifting, {{0, sheet::kAircraftUp}}},
      // Fleeing, parked and unknown states draw nothing.
      {unit::RisingOut, {}},
      {unit::VehicleRisingOut, {}},
      {unit::VehicleParked, {}},
      {unit::AircraftRisingOut, {}},
      {unit::AircraftParked, {}},
      {6, {}},
      {-1, {}},
      {100, {}},
  };
  for (const Case& c : cases) {
    for (int y : {0, 16, 160, 352}) {
      Fresh();
      // Height 32 for every unit: the aircraft is drawn 64 high all the same.
      world.Units[6] = Unit{192, static_cast<std::int16_t>(y), 64, 32, 0, c.state, 1};
      DrawUnits(world, composition, chip);
      for (const Part& p : c.parts) PaintSprite(expected, 192, y + p.dy, p.cell);
      EXPECT_TRUE(SamePicture(composition, expected)) << "state " << c.state << " at y " << y;
    }
  }
}

TEST_F(RenderUnits, LaddersAboveAreCutAtTheTopEdge) {
  world.Units[2] = Unit{64, 0, 64, 32, 0, unit::VehicleFetching, 1};
  DrawUnits(world, composition, chip);
  EXPECT_EQ(PixelAt(composition, 80, 0), kField);  // ladders at y = -32: all gone
  EXPECT_EQ(PixelAt(composition, 80, 1), ColourOf(sheet::kVehicleDown));

  Fresh();
  world.Units[2].Y = 16;
  DrawUnits(world, composition, chip);
  // Ladders at y = -16: their lower half, rows 0 to 14 of the field, above the vehicle.
  EXPECT_EQ(PixelAt(composition, 80, 0), ColourOf(sheet::kLaddersAbove));
  EXPECT_EQ(PixelAt(composition, 80, 14), ColourOf(sheet::kLaddersAbove));
  EXPECT_EQ(PixelAt(composition, 80, 17), ColourOf(sheet::kVehicleDown));
}

TEST_F(RenderUnits, HigherIndexCoversLower) {
  world.Units[3] = Unit{128, 64, 32, 32, 0, unit::Waiting, 1};
  world.Units[4] = Unit{128, 64, 32, 32, 0, unit::Lifting, 1};
  DrawUnits(world, composition, chip);
  PaintSprite(expected, 128, 64, sheet::kFigureA1);
  PaintSprite(expected, 128, 64, sheet::kFigureB1);
  EXPECT_TRUE(SamePicture(composition, expected));
}

TEST_F(RenderShots, OnlyActiveOneIsDrawnAndOnlyValue1000IsABanknote) {
  struct Case {
    std::int16_t value, active;
    const SpriteCell* cell;
  };
  const Case cases[] = {
      {1000, 1, &sheet::kBanknote}, {10000, 1, &sheet::kBundle}, {0, 1, &sheet::kBundle},
      {999, 1, &sheet::kBundle},    {1001, 1, &sheet::kBundle},  {1000, 2, nullptr},
      {1000, -1, nullptr},          {1000, 0, nullptr},          {10000, 0, nullptr},
  };
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    const Case& c = cases[i];
    world.Shots[i] = Shot{static_cast<std::int16_t>(32 * i), 200, c.value, c.active};
    if (c.cell != nullptr) PaintSprite(expected, 32 * i, 200, *c.cell);
  }
  DrawShots(world, composition, chip);
  EXPECT_TRUE(SamePicture(composition, expected));
}

TEST_F(RenderHostages, KindsAndTheFamilysCalmAndDistressFrames) {
  struct Case {
    std::int16_t kind;
    int y;
    const SpriteCell* cell;
  };
  const Case cases[] = {
      {kind::LoneWaiting, 360, &sheet::kLonePerson},
      {kind::LoneTaken, 100, &sheet::kLonePerson},
      {kind::Empty, 200, nullptr},
      {3, 200, nullptr},
      {101, 200, nullptr},
      {111, 200, nullptr},
      {kind::FamilyWaiting, 352, &sheet::kFamilyCalm},
      {kind::FamilyWaiting, 320, &sheet::kFamilyCalm},
      {kind::FamilyTaken, 328, &sheet::kFamilyCalm},
      {kind::FamilyTaken, 312, &sheet::kFamilyDistress2},
      {kind::FamilyTaken, 304, &sheet::kFamilyDistress1},
      {kind::FamilyStandoff, 320, &sheet::kFamilyCalm},
      {kind::FamilyStandoff, 96, &sheet::kFamilyDistress1},
      {kind::FamilyTaken, 0, &sheet::kFamilyDistress1},
      {kind::FamilyTaken, -8, &sheet::kFamilyDistress2},
      {kind::FamilyTaken, -16, &sheet::kFamilyDistress1},
  };
  for (const Case& c : cases) {
    Fresh();
    world.Hostages[7] = Hostage{224, static_cast<std::int16_t>(c.y), c.kind, 100};
    DrawHostages(world, composition, background, chip);
    if (c.cell != nullptr) PaintSprite(expected, 224, c.y, *c.cell);
    EXPECT_TRUE(SamePicture(composition, expected)) << "kind " << c.kind << " at y " << c.y;
  }
  // None of these is stamped into the ground.
  EXPECT_TRUE(SamePicture(background, MakeSurface(kFieldWidth, kFieldHeight, kGround)));
}

TEST_F(RenderHostages, LoneHostageInStandoffIsStampedIntoTheGroundAndLeavesATrail) {
  Surface groundWanted = background;
  world.Hostages[4] = Hostage{128, 200, kind::LoneStandoff, 100};
  DrawHostages(world, composition, background, chip);
  PaintSprite(expected, 128, 200, sheet::kLonePerson);
  PaintSprite(groundWanted, 128, 200, sheet::kLonePerson);
  EXPECT_TRUE(SamePicture(composition, expected));
  EXPECT_TRUE(SamePicture(background, groundWanted));

  // Standing still: the same stamp again changes nothing.
  Fresh();
  DrawHostages(world, composition, background, chip);
  EXPECT_TRUE(SamePicture(background, groundWanted));

  // Moving: a stamp at every drawn place, the newest on top.
  for (int y : {192, 184}) {
    world.Hostages[4].Y = static_cast<std::int16_t>(y);
    DrawHostages(world, composition, background, chip);
    PaintSprite(groundWanted, 128, y, sheet::kLonePerson);
  }
  EXPECT_TRUE(SamePicture(background, groundWanted));
  EXPECT_EQ(PixelAt(background, 140, 230), ColourOf(sheet::kLonePerson));  // the first stamp's lower part
}

TEST_F(RenderBursts, OpenWithTheirStageAndVanishAtZeroAndEight) {
  const struct {
    std::int16_t stage;
    const SpriteCell* cell;
  } cases[] = {
      {-1, nullptr},
      {0, nullptr},
      {1, &sheet::kBurstClosed},
      {2, &sheet::kBurstClosed},
      {3, &sheet::kBurstClosed},
      {4, &sheet::kBurstOpening},
      {5, &sheet::kBurstOpening},
      {6, &sheet::kBurstOpen},
      {7, &sheet::kBurstOpen},
      {8, nullptr},
      {9, nullptr},
  };
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    world.Bursts[i] = Burst{static_cast<std::int16_t>(40 * i), 120, cases[i].stage};
    if (cases[i].cell != nullptr) PaintSprite(expected, 40 * i, 120, *cases[i].cell);
  }
  DrawBursts(world, composition, chip);
  EXPECT_TRUE(SamePicture(composition, expected));
}

}  // namespace
}  // namespace talvessa::testing
