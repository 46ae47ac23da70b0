// The screens before play, driven frame by frame on the headless backend: the logo's reveal, the title
// screen's timelines and the shatter into play.
#include "screens/screens.h"

#include <gtest/gtest.h>

#include <functional>

#include "block_glyphs.h"
#include "harness.h"
#include "screen_watch.h"
#include "present/sheet.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::AllBlack;
using testing::FieldSurfaces;
using testing::Harness;
using testing::RunScreen;
using testing::Shows;
using testing::Watch;

TEST(LogoScreen, RevealsEightNewRowsAFrameAndEveryRowOnce) {
  Harness h;
  std::vector<int> counts;
  bool completeAtSixteen = false;
  Watch watch([&](const Game& g, Loop) {
    counts.push_back(g.screens.LogoRowCount);
    if (counts.size() == 16) {
      // The whole logo stands centred on the visible surface.
      completeAtSixteen = true;
      for (int y = 0; y < logo::kHeight; ++y) {
        for (int x = 0; x < logo::kWidth; ++x) {
          completeAtSixteen &= PixelAt(g.Display[0], 240 + x, 160 + y) == PixelAt(g.LogoChip, x, y);
        }
      }
    }
    return true;
  });
  RunScreen(h.game, GameState::Logo, watch);
  ASSERT_EQ(counts.size(), 50u);
  for (std::size_t frame = 1; frame <= 50; ++frame) {
    EXPECT_EQ(counts[frame - 1], std::min<std::size_t>(8 * frame, 128)) << frame;
  }
  EXPECT_TRUE(completeAtSixteen);
  for (int r = 0; r < 128; ++r) EXPECT_EQ(h.game.screens.LogoRowShown[static_cast<std::size_t>(r)], 1) << r;
  EXPECT_EQ(h.game.screens.LogoRowShown[128], 0);
}

TEST(LogoScreen, SpaceFromTheFirstFrameStillShowsItsEightRows) {
  Harness h;
  h.Hold(vk::Space);
  int passes = 0;
  Watch watch([&](const Game&, Loop) { return ++passes < 100; });
  RunScreen(h.game, GameState::Logo, watch);
  EXPECT_EQ(passes, 1);
  EXPECT_EQ(h.game.screens.LogoRowCount, 8);
  EXPECT_EQ(h.world().GameState, GameState::Attract);
  EXPECT_EQ(h.game.LastKey, command::Throw);
}

struct AttractSeen {
  std::int16_t titleCounter, scrollA, scrollB, shotX;
  bool bundle, figure, burstClosed, burstOpening, burstOpen, banknote;
};

// Runs the title screen for `frames` frames from the world as it stands, recording each.
std::vector<AttractSeen> RunAttract(Harness& h, int frames) {
  std::vector<AttractSeen> seen;
  Watch watch([&](const Game& g, Loop loop) {
    if (loop != Loop::Attract) return true;  // the shatter of a start
    const World& w = g.world;
    const Surface& s = g.Display[1];
    seen.push_back({g.run.TitleCounter, g.run.AttractScrollA, g.run.AttractScrollB, w.Shots[0].X,
                    Shows(s, 0, 352, g.Chip, sheet::kBundle), Shows(s, 480, 352, g.Chip, sheet::kFigureA1),
                    Shows(s, 480, 352, g.Chip, sheet::kBurstClosed),
                    Shows(s, 480, 352, g.Chip, sheet::kBurstOpening),
                    Shows(s, 480, 352, g.Chip, sheet::kBurstOpen), !AllBlack(s, 32, 352, 440, 32)});
    return static_cast<int>(seen.size()) < frames;
  });
  RunScreen(h.game, GameState::Attract, watch);
  return seen;
}

TEST(AttractSequence, AfterAnEndScreenTheDemoCyclesEvery291Frames) {
  Harness h;
  FieldSurfaces(h.game);
  h.world().GameState = GameState::Attract;
  const std::vector<AttractSeen> f = RunAttract(h, 700);
  // The banner and the prompt slide for 16 frames and rest together in frame 17.
  EXPECT_EQ(f[15].scrollA, 32);
  EXPECT_GT(f[15].scrollB, 144);
  EXPECT_EQ(f[16].scrollA, 64);
  EXPECT_EQ(f[16].scrollB, 144);
  EXPECT_EQ(f[16].titleCounter, 1);
  // No demo and no bundle until TitleCounter reaches 10, in frame 26 with the banknote at 20.
  for (int i = 0; i < 25; ++i)
    EXPECT_FALSE(f[static_cast<std::size_t>(i)].bundle || f[static_cast<std::size_t>(i)].figure) << i;
  EXPECT_EQ(f[25].titleCounter, 10);
  EXPECT_EQ(f[25].shotX, 20);
  EXPECT_TRUE(f[25].bundle && f[25].figure);
  // The banknote reaches the figure exactly when the burst begins.
  const auto at = [&](std::int16_t t, std::size_t from) {
    for (std::size_t i = from; i < f.size(); ++i) {
      if (f[i].titleCounter == t) return i;
    }
    return f.size();
  };
  const std::size_t reach = at(240, 0);
  ASSERT_LT(reach, f.size());
  EXPECT_EQ(f[reach].shotX, 480);
  EXPECT_TRUE(f[reach - 20].figure);
  EXPECT_TRUE(f[reach + 1].burstClosed && !f[reach + 1].figure);
  EXPECT_TRUE(f[at(262, 0)].burstOpening);
  EXPECT_TRUE(f[at(282, 0)].burstOpen);
  for (std::size_t i = reach + 1; i < at(10, reach); ++i) EXPECT_FALSE(f[i].banknote) << i;
  // Then the demo starts again at 10 with the banknote at 22, and every cycle is 291 frames.
  const std::size_t second = at(10, reach);
  EXPECT_EQ(f[second].shotX, 22);
  EXPECT_EQ(at(10, second + 1) - second, 291u);
  for (std::size_t i = second; i < f.size(); ++i) {
    if (f[i].titleCounter <= 240) {
      EXPECT_EQ(f[i].shotX, 2 * f[i].titleCounter + 2) << i;
    }
    EXPECT_LE(f[i].titleCounter, 300);
  }
}

TEST(AttractSequence, AfterTheLogoTheFirstBurstComesBeforeTheBanknoteArrives) {
  Harness h;
  FieldSurfaces(h.game);
  h.world().GameState = GameState::Attract;
  h.run().TitleCounter = 50;  // as the logo screen leaves it
  const std::vector<AttractSeen> f = RunAttract(h, 240);
  // The counter already stands past 10, so the demo is there from the first frame and starts to
  // move when the banner comes to rest.
  EXPECT_TRUE(f[0].bundle && f[0].figure);
  EXPECT_EQ(f[15].shotX, 0);
  EXPECT_EQ(f[16].shotX, 2);
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i].titleCounter == 241) {
      EXPECT_TRUE(f[i].burstClosed);
      EXPECT_EQ(f[i - 1].shotX, 380);  // the last place the banknote was drawn, far from the figure
      return;
    }
  }
  ADD_FAILURE() << "no burst";
}

TEST(AttractSequence, SpaceInTheFirstFrameStartsPlayBeforeTheBannerHasArrived) {
  Harness h;
  FieldSurfaces(h.game);
  h.world().GameState = GameState::Attract;
  h.Hold(vk::Space);
  const std::vector<AttractSeen> f = RunAttract(h, 10);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(h.world().GameState, GameState::Playing);
  EXPECT_EQ(h.run().AttractScrollA, -448);
  EXPECT_EQ(h.platform.audio.TakeEffects(), std::vector<std::string>{"se2"});
}

TEST(AttractSequence, TheBannerStandsInTheBackgroundWithTitleAndPromptInTheBrushFace) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  FieldSurfaces(h.game);
  h.world().GameState = GameState::Attract;
  RunAttract(h, 20);
  for (int i = 2; i <= 13; ++i) {
    EXPECT_TRUE(Shows(h.game.Display[2], 32 * i, 32, h.game.Chip, sheet::kBanknote)) << i;
    EXPECT_TRUE(Shows(h.game.Display[2], 32 * i, 128, h.game.Chip, sheet::kBanknote)) << i;
  }
  EXPECT_EQ(PixelAt(h.game.Display[2], 126, 80), kWhite);
  EXPECT_EQ(PixelAt(h.game.Display[1], 144, 288), Rgb(200, 240, 20));
  for (const BlockGlyphs::Request& r : glyphs.requests) EXPECT_EQ(r.face, kScreenFace) << r.text;
}

TEST(ShatterScreen, TilesFlyApartAndTheLastStepsAreBlack) {
  Harness h;
  FieldSurfaces(h.game);
  // Every tile of the title picture in a colour of its own.
  for (int n = 0; n < 192; ++n)
    FillRect(h.game.Display[1], 32 * (n % 16), 32 * (n / 16), 32, 32, Rgb(n + 1, 100, 200));
  Random before = h.game.random;
  std::vector<Surface> steps;
  Watch watch([&](const Game& g, Loop loop) {
    EXPECT_EQ(loop, Loop::Shatter);
    steps.push_back(g.Display[0]);
    return true;
  });
  const std::uint64_t start = h.platform.clock.ElapsedUs();
  h.game.observer = &watch;
  ShatterScreen(h.game);
  h.game.observer = nullptr;
  ASSERT_EQ(steps.size(), 28u);
  EXPECT_GT(h.platform.clock.ElapsedUs() - start, 28u * 25000u);
  // Two draws a tile.
  for (int k = 0; k < 384; ++k) before.Next();
  EXPECT_EQ(before.Next(), h.game.random.Next());
  // At step 1 every visible piece of tile n lies within its square moved 8 to 23 across and 8 to 19
  // down or up, away from the centre.
  for (int y = 0; y < kFieldHeight; ++y) {
    for (int x = 0; x < kFieldWidth; ++x) {
      const Colour c = PixelAt(steps[0], x, y);
      if (c == kBlack) continue;
      const int n = static_cast<int>(c & 0xFF) - 1;
      const int homeX = 32 * (n % 16);
      const int homeY = 32 * (n / 16);
      const int left = n % 16 < 8 ? homeX - 23 : homeX + 8;
      const int top = n < 96 ? homeY - 19 : homeY + 8;
      ASSERT_TRUE(x >= left && x < left + 15 + 32 && y >= top && y < top + 11 + 32)
          << n << " at " << x << "," << y;
    }
  }
  for (std::size_t s = 24; s < 28; ++s)
    EXPECT_TRUE(AllBlack(steps[s], 0, 0, kFieldWidth, kFieldHeight)) << s + 1;
  // The title picture stays in the background surface for the command that follows.
  EXPECT_EQ(PixelAt(h.game.Display[2], 500, 380), Rgb(192, 100, 200));
}

}  // namespace
}  // namespace talvessa
