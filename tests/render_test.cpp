// The picture of play: the ground, the flag and the van, the overlays and the order of the passes.
#include "render/render.h"

#include <gtest/gtest.h>

#include "render_fixture.h"
#include "pixel_at.h"

namespace talvessa::testing {
namespace {

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
}  // namespace talvessa::testing
