#include "render/render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "block_glyphs.h"
#include "present/sheet.h"

namespace talvessa {
namespace {

// Every sprite cell of the sheet, each given its own flat colour in the synthetic sheet below.
constexpr SpriteCell kCells[] = {
    sheet::kFlag,
    sheet::kVanA,
    sheet::kVanB,
    sheet::kFigureA1,
    sheet::kFigureA2,
    sheet::kFigureB1,
    sheet::kFigureB2,
    sheet::kVehicleDown,
    sheet::kVehicleUp,
    sheet::kLaddersAbove,
    sheet::kLaddersBelow,
    sheet::kAircraftDown,
    sheet::kAircraftUp,
    sheet::kBanknote,
    sheet::kBundle,
    sheet::kLonePerson,
    sheet::kFamilyCalm,
    sheet::kFamilyDistress1,
    sheet::kFamilyDistress2,
    sheet::kBurstClosed,
    sheet::kBurstOpening,
    sheet::kBurstOpen,
    sheet::kBubble1,
    sheet::kBubble2,
};

constexpr Colour kUnused = Rgb(77, 77, 77);     // sheet pixels outside every cell
constexpr Colour kField = Rgb(30, 90, 60);      // what the composition holds before a pass
constexpr Colour kGround = Rgb(140, 120, 100);  // what the background holds before a pass
constexpr Colour kCornerDot = Rgb(189, 192, 34);
const std::string kFace = "Test Gothic";

bool SameCell(const SpriteCell& a, const SpriteCell& b) {
  return a.maskX == b.maskX && a.maskY == b.maskY && a.picX == b.picX && a.picY == b.picY;
}

Colour ColourOf(const SpriteCell& cell) {
  for (int i = 0; i < static_cast<int>(std::size(kCells)); ++i) {
    if (SameCell(kCells[i], cell)) return Rgb(20 + 9 * i, 60 + 5 * i, 220 - 7 * i);
  }
  ADD_FAILURE() << "cell not on the synthetic sheet";
  return kBlack;
}

// A ground tile with a colour per pixel, so a misplaced or partial tile shows.
Colour GroundPixel(int x, int y) { return Rgb(3 * x + 1, 5 * y + 2, 40); }

// Every sprite's silhouette is its cell less a one-pixel frame, so where it lands shows to the pixel;
// pictures are flat colours on white, masks the silhouettes in white on black.
Surface SyntheticSheet() {
  Surface chip = MakeSurface(sheet::kWidth, sheet::kHeight, kUnused);
  std::vector<bool> taken(sheet::kWidth * sheet::kHeight, false);
  auto claim = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) {
        if (taken[y * sheet::kWidth + x]) ADD_FAILURE() << "sheet cells overlap at " << x << "," << y;
        taken[y * sheet::kWidth + x] = true;
      }
    }
  };
  for (const SpriteCell& c : kCells) {
    claim(c.picX, c.picY, c.width, c.height);
    claim(c.maskX, c.maskY, c.width, c.height);
    FillRect(chip, c.picX, c.picY, c.width, c.height, kWhite);
    FillRect(chip, c.picX + 1, c.picY + 1, c.width - 2, c.height - 2, ColourOf(c));
    FillRect(chip, c.maskX, c.maskY, c.width, c.height, kBlack);
    FillRect(chip, c.maskX + 1, c.maskY + 1, c.width - 2, c.height - 2, kWhite);
  }
  claim(sheet::kGroundX, sheet::kGroundY, sheet::kGroundSize, sheet::kGroundSize);
  for (int y = 0; y < sheet::kGroundSize; ++y) {
    for (int x = 0; x < sheet::kGroundSize; ++x) {
      SetPoint(chip, sheet::kGroundX + x, sheet::kGroundY + y, GroundPixel(x, y));
    }
  }
  return chip;
}


// What the passes should leave, painted independently of the masked draw and the text printing.
void PaintSprite(Surface& s, int x, int y, const SpriteCell& c) {
  FillRect(s, x + 1, y + 1, c.width - 2, c.height - 2, ColourOf(c));
}
void PaintText(Surface& s, int x, int y, int size, Colour colour, const std::string& text) {
  for (int k = 0; k < CodePoints(text); ++k) FillRect(s, x + kAdvance * k, y, kGlyphWidth, size, colour);
}
// A shadowed text: black one pixel up and left of (x, y), then white at (x, y).
void PaintShadowed(Surface& s, int x, int y, int size, std::int32_t number) {
  PaintText(s, x - 1, y - 1, size, kBlack, NumberText(number));
  PaintText(s, x, y, size, kWhite, NumberText(number));
}

::testing::AssertionResult SamePicture(const Surface& actual, const Surface& expected) {
  if (actual.Width != expected.Width || actual.Height != expected.Height) {
    return ::testing::AssertionFailure() << "sizes differ";
  }
  int wrong = 0;
  std::string first;
  for (int y = 0; y < actual.Height; ++y) {
    for (int x = 0; x < actual.Width; ++x) {
      const Colour a = PixelAt(actual, x, y), e = PixelAt(expected, x, y);
      if (a == e) continue;
      if (wrong++ == 0) {
        char line[96];
        std::snprintf(line, sizeof line, "first at %d,%d: %06X, expected %06X", x, y, a, e);
        first = line;
      }
    }
  }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels differ; " << first;
}

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() : chip(SyntheticSheet()), text(&glyphs) {
    // Units left as the zeroed world has them would be waiting figures; park them all out of sight.
    for (Unit& u : world.Units) u.State = unit::VehicleParked;
    Fresh();
  }
  // A new frame: the composition back to its flat field, the expected picture likewise.
  void Fresh() {
    composition = MakeSurface(kFieldWidth, kFieldHeight, kField);
    composition.FontName = kFace;
    expected = composition;
  }

  World world;
  Surface chip;
  Surface composition;
  Surface expected;
  Surface background = MakeSurface(kFieldWidth, kFieldHeight, kGround);
  BlockGlyphs glyphs;
  Text text;
};

using RenderBackground = RenderTest;
using RenderFlagAndVan = RenderTest;
using RenderUnits = RenderTest;
using RenderShots = RenderTest;
using RenderHostages = RenderTest;
using RenderBursts = RenderTest;
using RenderPopups = RenderTest;
using RenderBubbles = RenderTest;
using RenderFunds = RenderTest;
using RenderPasses = RenderTest;

TEST_F(RenderBackground, TilesTheFieldWithDotsOnInnerCornersOnly) {
  // Wider and taller than the field, so anything drawn past it shows.
  const Colour outside = Rgb(5, 6, 7);
  Surface ground = MakeSurface(576, 448, outside);
  DrawBackground(ground, chip);
  int dots = 0;
  for (int y = 0; y < ground.Height; ++y) {
    for (int x = 0; x < ground.Width; ++x) {
      Colour want = outside;
      if (x < kFieldWidth && y < kFieldHeight) {
        const bool corner = x % 32 == 0 && y % 32 == 0 && x > 0 && y > 0;
        want = corner ? kCornerDot : GroundPixel(x % 32, y % 32);
      }
      const Colour got = PixelAt(ground, x, y);
      ASSERT_EQ(got, want) << "at " << x << "," << y;
      dots += got == kCornerDot ? 1 : 0;
    }
  }
  EXPECT_EQ(dots, 165);
}

TEST_F(RenderFlagAndVan, FlagIsDrawnWhereverItLiesAndCutAtTheEdges) {
  for (auto [x, y] : {std::pair{224, 352}, std::pair{496, 368}, std::pair{-16, -8}}) {
    Fresh();
    world.PlayerX = static_cast<std::int16_t>(x);
    world.PlayerY = static_cast<std::int16_t>(y);
    DrawPlayerFlag(world, composition, chip);
    PaintSprite(expected, x, y, sheet::kFlag);
    EXPECT_TRUE(SamePicture(composition, expected)) << "flag at " << x << "," << y;
  }
}

TEST_F(RenderFlagAndVan, VanFramesFollowTheRoundedQuarterOfItsTimer) {
  world.VanX = 200;
  world.VanY = 320;
  auto frameA = [](int t) {
    // Up to 21 as listed; from there five steps of A (8m - 2 to 8m + 2) and three of B.
    if (t <= 21) return (t >= 1 && t <= 2) || (t >= 6 && t <= 10) || (t >= 14 && t <= 18);
    return (t + 2) % 8 <= 4;
  };
  std::vector<int> timers;
  for (int t = 1; t <= 70; ++t) timers.push_back(t);
  for (int t : {1000, 1001, 1003, 32765, 32766, 32767}) timers.push_back(t);
  for (int t : timers) {
    Fresh();
    world.VanTimer = static_cast<std::int16_t>(t);
    DrawVan(world, composition, chip);
    PaintSprite(expected, 200, 320, frameA(t) ? sheet::kVanA : sheet::kVanB);
    EXPECT_TRUE(SamePicture(composition, expected)) << "VanTimer " << t;
  }
}

TEST_F(RenderFlagAndVan, IdleVanIsNotDrawnEvenOnTheField) {
  world.VanX = 200;
  world.VanY = 320;
  world.VanTimer = 0;
  DrawVan(world, composition, chip);
  EXPECT_TRUE(SamePicture(composition, expected));
}

TEST_F(RenderFlagAndVan, VanSlidesInFromTheRightEdge) {
  world.VanTimer = 1;
  world.VanY = 352;
  for (int x : {512, 500, 480, -40}) {
    Fresh();
    world.VanX = static_cast<std::int16_t>(x);
    DrawVan(world, composition, chip);
    PaintSprite(expected, x, 352, sheet::kVanA);
    EXPECT_TRUE(SamePicture(composition, expected)) << "VanX " << x;
  }
  // At its starting place nothing of it shows; twelve columns in, its left part does.
  world.VanX = 500;
  Fresh();
  DrawVan(world, composition, chip);
  EXPECT_EQ(PixelAt(composition, 511, 360), ColourOf(sheet::kVanA));
  EXPECT_EQ(PixelAt(composition, 500, 360), kField);  // the frame of the cell
}

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

TEST_F(RenderPopups, ShownOnlyWhileTheColumnsUnitFleesOrLeaves) {
  const std::int16_t shown[] = {unit::RisingOut, unit::LeavingPhase1, unit::VehicleRisingOut,
                                unit::LeavingPhase2, unit::AircraftRisingOut};
  const std::int16_t hidden[] = {unit::Waiting,        unit::Fetching,        unit::Lifting,
                                 unit::Arriving,       unit::VehicleWaiting,  unit::VehicleLifting,
                                 unit::VehicleParked,  unit::AircraftLifting, unit::AircraftParked,
                                 unit::LeavingForGood, unit::VehicleArriving, -3};
  world.Popups[9] = Popup{300, 150, 12, 300};
  for (bool show : {true, false}) {
    for (std::int16_t state : show ? std::vector<std::int16_t>(std::begin(shown), std::end(shown))
                                   : std::vector<std::int16_t>(std::begin(hidden), std::end(hidden))) {
      Fresh();
      world.Units[9].State = state;
      DrawPopups(world, composition, text);
      if (show) PaintShadowed(expected, 300, 150, 12, 300);
      EXPECT_TRUE(SamePicture(composition, expected)) << "unit state " << state;
    }
  }
  // The amount is the popup's, in the surface's face, 12 points, bold.
  ASSERT_FALSE(glyphs.requests.empty());
  EXPECT_EQ(glyphs.requests.back().face, kFace);
  EXPECT_EQ(glyphs.requests.back().points, 12);
  EXPECT_TRUE(glyphs.requests.back().bold);
  EXPECT_EQ(glyphs.requests.back().text, NumberText(300));
}

TEST_F(RenderPopups, ShownForTimerOneToThirty) {
  world.Units[2].State = unit::RisingOut;
  for (int timer : {-1, 0, 1, 2, 29, 30, 31, 40}) {
    Fresh();
    world.Popups[2] = Popup{64, 0, static_cast<std::int16_t>(timer), 100};
    DrawPopups(world, composition, text);
    // At the top edge the black shadow's first row is cut away.
    if (timer >= 1 && timer <= 30) PaintShadowed(expected, 64, 0, 12, 100);
    EXPECT_TRUE(SamePicture(composition, expected)) << "Timer " << timer;
  }
}

TEST_F(RenderBubbles, SwayThroughFourSpellsOfNineSteps) {
  for (std::int16_t k : {kind::LoneStandoff, kind::FamilyStandoff}) {
    for (int tick : {-5, 0, 24, 25, 29, 33, 34, 42, 43, 51, 52, 60, 61, 100}) {
      Fresh();
      world.Hostages[11].Kind = k;
      world.Units[11] = Unit{352, 200, 32, 32, static_cast<std::int16_t>(tick), unit::RisingOut, 0};
      DrawBubbles(world, composition, chip);
      const bool one = (tick >= 25 && tick <= 33) || (tick >= 43 && tick <= 51);
      const bool two = (tick >= 34 && tick <= 42) || (tick >= 52 && tick <= 60);
      if (one || two) PaintSprite(expected, 352, 0, one ? sheet::kBubble1 : sheet::kBubble2);
      EXPECT_TRUE(SamePicture(composition, expected)) << "kind " << k << " Tick " << tick;
    }
  }
}

TEST_F(RenderBubbles, NoneWithoutAStandoff) {
  for (std::int16_t k :
       {kind::Empty, kind::LoneWaiting, kind::LoneTaken, kind::FamilyWaiting, kind::FamilyTaken}) {
    world.Hostages[11].Kind = k;
    world.Units[11] = Unit{352, 32, 32, 32, 30, unit::Waiting, 0};
    DrawBubbles(world, composition, chip);
    EXPECT_TRUE(SamePicture(composition, expected)) << "kind " << k;
  }
}

TEST_F(RenderFunds, FigureGrowsToTheLeftWithItsDigits) {
  // Black at 246 less 5 per digit, row 3; white one pixel right and down.
  const struct {
    std::int32_t funds;
    int blackX;
  } cases[] = {{0, 241}, {7, 241}, {-500, 241}, {10, 236}, {3000, 226}, {10000, 221}, {123456, 216}};
  for (const auto& c : cases) {
    Fresh();
    world.Funds = c.funds;
    DrawFunds(world, composition, text);
    PaintText(expected, c.blackX, 3, 16, kBlack, NumberText(c.funds));
    PaintText(expected, c.blackX + 1, 4, 16, kWhite, NumberText(c.funds));
    EXPECT_TRUE(SamePicture(composition, expected)) << "Funds " << c.funds;
  }
  for (const BlockGlyphs::Request& r : glyphs.requests) {
    EXPECT_EQ(r.face, kFace);
    EXPECT_EQ(r.points, 16);
    EXPECT_TRUE(r.bold);
  }
}

TEST_F(RenderPasses, EachPassCoversThoseBeforeIt) {
  Displays display;
  display[0] = MakeSurface(kFieldWidth, kFieldHeight, Rgb(1, 1, 1));
  display[1] = composition;
  display[2] = background;
  const Surface visible = display[0];
  Surface groundWanted = background;

  // Everything stacked at (96, 160): flag, van, a leaving figure with its popup, a banknote, a lone
  // hostage in a standoff, a burst; and at the top centre a family in a standoff under its bubble
  // under the funds figure.
  world.PlayerX = 96;
  world.PlayerY = 160;
  world.VanX = 80;
  world.VanY = 152;
  world.VanTimer = 3;  // frame B
  world.Units[3] = Unit{96, 168, 32, 32, 0, unit::LeavingPhase1, 0};
  world.Popups[3] = Popup{100, 170, 4, 100};
  world.Shots[3] = Shot{104, 156, 1000, 1};
  world.Hostages[3] = Hostage{110, 164, kind::LoneStandoff, 100};
  world.Bursts[3] = Burst{116, 176, 2};
  world.Units[7] = Unit{224, 32, 32, 32, 30, unit::RisingOut, 0};
  world.Hostages[7] = Hostage{232, 4, kind::FamilyStandoff, 300};
  world.Funds = 3000;

  DrawPlayPasses(world, display, chip, text);

  PaintSprite(expected, 96, 160, sheet::kFlag);
  PaintSprite(expected, 80, 152, sheet::kVanB);
  PaintSprite(expected, 96, 168, sheet::kFigureB2);
  PaintSprite(expected, 104, 156, sheet::kBanknote);
  PaintSprite(expected, 110, 164, sheet::kLonePerson);
  PaintSprite(expected, 232, 4, sheet::kFamilyDistress2);
  PaintSprite(expected, 116, 176, sheet::kBurstClosed);
  PaintShadowed(expected, 100, 170, 12, 100);
  PaintSprite(expected, 224, 0, sheet::kBubble1);
  PaintShadowed(expected, 227, 4, 16, 3000);
  EXPECT_TRUE(SamePicture(display[1], expected));

  PaintSprite(groundWanted, 110, 164, sheet::kLonePerson);
  EXPECT_TRUE(SamePicture(display[2], groundWanted));
  EXPECT_TRUE(SamePicture(display[0], visible));
}

}  // namespace
}  // namespace talvessa
