// The screens outside play, driven frame by frame on the headless backend: the logo's reveal, the
// title screen's timelines, the shatter, and the two end screens' typing, veils, sounds and keys.
#include "screens/screens.h"

#include <gtest/gtest.h>

#include <functional>

#include "block_glyphs.h"
#include "harness.h"
#include "present/sheet.h"

namespace talvessa {
namespace {

using testing::Harness;

// Calls `look` after every pass of a loop; `look` returns false to stop the loop there.
class Watch final : public PassObserver {
 public:
  explicit Watch(std::function<bool(const Game&, Loop)> look) : look_(std::move(look)) {}
  void PassDone(const Game& game, Loop loop) override {
    if (!look_(game, loop)) throw Enough{};
  }
  struct Enough {};

 private:
  std::function<bool(const Game&, Loop)> look_;
};

// Runs one screen procedure with the watch attached until it returns or the watch has seen enough.
void RunScreen(Game& game, void (*screen)(Game&), Watch& watch) {
  game.observer = &watch;
  try {
    screen(game);
  } catch (const Watch::Enough&) {
  }
  game.observer = nullptr;
}

// Whether the sprite `cell` stands at (x, y) of `s`: every pixel of its silhouette in its colour.
bool Shows(const Surface& s, int x, int y, const Surface& chip, const SpriteCell& cell) {
  for (int dy = 0; dy < cell.height; ++dy) {
    for (int dx = 0; dx < cell.width; ++dx) {
      if (PixelAt(chip, cell.maskX + dx, cell.maskY + dy) == kBlack) continue;
      if (PixelAt(s, x + dx, y + dy) != PixelAt(chip, cell.picX + dx, cell.picY + dy)) return false;
    }
  }
  return true;
}

bool AllBlack(const Surface& s, int x, int y, int w, int h) {
  for (int dy = 0; dy < h; ++dy) {
    for (int dx = 0; dx < w; ++dx) {
      if (PixelAt(s, x + dx, y + dy) != kBlack) return false;
    }
  }
  return true;
}

// The field surfaces as the logo screen leaves them: 512 x 384, black.
void FieldSurfaces(Game& game) {
  for (Surface& display : game.Display) {
    display.BackColor = kBlack;
    SetGeometry(display, kFieldWidth, kFieldHeight, 32, 32);
    Clear(display);
  }
}

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
  RunScreen(h.game, RunLogoScreen, watch);
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
  RunScreen(h.game, RunLogoScreen, watch);
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
  RunScreen(h.game, RunAttractSequence, watch);
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
  RunScreen(h.game, ShatterScreen, watch);
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

struct EndFrame {
  std::int16_t counter;
  std::string typed;
  std::vector<std::string> effects;
  std::uint64_t presents;
};

// Runs an end screen for `frames` frames over a white play picture, recording each frame.
std::vector<EndFrame> RunEndScreen(Harness& h, GameState state, int frames) {
  FieldSurfaces(h.game);
  FillRect(h.game.Display[1], 0, 0, kFieldWidth, kFieldHeight, kWhite);
  FillRect(h.game.Display[2], 0, 0, kFieldWidth, kFieldHeight, Rgb(100, 100, 40));
  h.world().GameState = state;
  h.platform.audio.TakeEffects();
  std::vector<EndFrame> seen;
  Watch watch([&](const Game& g, Loop) {
    seen.push_back(
        {g.run.EndCounter, g.screens.TypedText, h.platform.audio.TakeEffects(), h.platform.screen.PresentCount()});
    return static_cast<int>(seen.size()) < frames;
  });
  RunScreen(h.game, state == GameState::GameOver ? RunGameOverScreen : RunEndingScreen, watch);
  return seen;
}

// The frames (counting from 1) on which the visible picture changed.
std::vector<int> ChangedFrames(const std::vector<EndFrame>& f) {
  std::vector<int> frames;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i].presents != (i == 0 ? 0 : f[i - 1].presents)) frames.push_back(static_cast<int>(i) + 1);
  }
  return frames;
}

TEST(GameOverScreen, TypesGameAndOverWithAKeyStrikeForEachNewLetter) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  const std::vector<EndFrame> f = RunEndScreen(h, GameState::GameOver, 60);
  std::vector<int> strikes;
  for (std::size_t i = 0; i < f.size(); ++i) {
    for (const std::string& e : f[i].effects) {
      EXPECT_EQ(e, "se4");
      strikes.push_back(static_cast<int>(i) + 1);
    }
  }
  EXPECT_EQ(strikes, (std::vector<int>{10, 13, 17, 21, 26, 29, 33, 37}));
  EXPECT_EQ(f[9].typed, "G");
  EXPECT_EQ(f[20].typed, "GAME");
  EXPECT_EQ(f[25].typed, "O");
  EXPECT_EQ(f[49].typed, "OVER");
  // The picture only changes with the veil, the typing and the table; frames 2-9 and 22-25 leave it.
  const std::vector<int> changed = ChangedFrames(f);
  EXPECT_EQ(changed.front(), 1);
  for (int frame : changed) {
    EXPECT_FALSE((frame >= 2 && frame <= 9) || (frame >= 22 && frame <= 25)) << frame;
  }
  EXPECT_NE(std::find(changed.begin(), changed.end(), 51), changed.end());
  // The veil: black lines every fourth pixel over the last picture of play.
  const Surface& shown = h.game.Display[0];
  EXPECT_EQ(PixelAt(shown, 4, 2), kBlack);
  EXPECT_EQ(PixelAt(shown, 2, 4), kBlack);
  EXPECT_EQ(PixelAt(shown, 510, 382), kWhite);
  EXPECT_EQ(PixelAt(shown, 508, 382), kBlack);
}

TEST(GameOverScreen, ListsTheResultsInTheBrushFace) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  h.world().Rescued = 123;
  h.world().NotRescued = 0;
  h.world().ShotsYen = 20000;
  RunEndScreen(h, GameState::GameOver, 52);
  std::vector<std::string> texts;
  for (const BlockGlyphs::Request& r : glyphs.requests) {
    EXPECT_EQ(r.face, kScreenFace) << r.text;
    if (r.points == 12) texts.push_back(r.text);
  }
  for (const char* expected : {"救出した人数 ：", "123人", "0人", "2億円", "1.6円", "１２７７１万人",
                               "（平成１６年４月１日現在）"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
  }
  // The value column starts at x 264.
  EXPECT_EQ(PixelAt(h.game.Display[0], 264, 144), kWhite);
  EXPECT_NE(PixelAt(h.game.Display[0], 263, 144), kWhite);
}

TEST(EndingScreen, TypesTheMessageOverTheVeiledGroundWithoutASound) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  const std::vector<EndFrame> f = RunEndScreen(h, GameState::TerroristsLeft, 110);
  const std::string first = "テロリスト達は、";
  const std::string second = "帰って行ってしまいました";
  std::vector<int> grows;
  for (std::size_t i = 1; i < f.size(); ++i) {
    EXPECT_TRUE(f[i].effects.empty()) << i;
    if (f[i].typed != f[i - 1].typed) grows.push_back(static_cast<int>(i) + 1);
  }
  EXPECT_EQ(grows, (std::vector<int>{10, 12, 15, 18, 21, 24, 27, 30, 36, 38,
                                     41, 44, 47, 50, 53, 56, 59, 62, 65, 68}));
  EXPECT_EQ(f[29].typed, first);
  EXPECT_EQ(f[67].typed, second);
  EXPECT_EQ(h.run().EndCounter, 99);
  // The white picture of play is gone: the ground shows through the veil, and the message on it.
  const Surface& shown = h.game.Display[0];
  EXPECT_EQ(PixelAt(shown, 2, 302), Rgb(100, 100, 40));
  EXPECT_EQ(PixelAt(shown, 4, 302), kBlack);
  EXPECT_EQ(PixelAt(shown, 34 + 1, 64 + 1), kWhite);
  EXPECT_EQ(PixelAt(shown, 208 + 6 * 11 + 1, 64 + 1), kWhite);  // the twelfth character
  EXPECT_EQ(CodePoints(second), 12);
}

TEST(EndingScreen, OtherKeysChangeNothingOnIt) {
  Harness h;
  h.Hold(vk::Enter);
  RunEndScreen(h, GameState::TerroristsLeft, 40);
  EXPECT_EQ(h.world().GameState, GameState::TerroristsLeft);
  EXPECT_EQ(h.world().PauseRequest, 0);
}

TEST(Results, YenAmountsInChoOkuAndMan) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "円"},
      {1000, "1000万円"},
      {10000, "1億円"},
      {20000, "2億円"},
      {123456789, "1兆2345億6789万円"},
      {100000500, "1兆500万円"},
      {100000000, "1兆円"},
      {2147483647, "21兆4748億3647万円"},
      {-10001, "-1億-1万円"},
  };
  for (const auto& [total, text] : cases) EXPECT_EQ(FormatYenAmount(total), text) << total;
}

TEST(Results, BurdenPerCitizenToATenthOfAYen) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "0円"},     {1000, "0.1円"}, {20000, "1.6円"}, {1000000, "78.3円"},        {638, "0円"},
      {639, "0.1円"}, {12771, "1円"},  {127710, "10円"}, {2147483647, "168153.1円"},
  };
  for (const auto& [total, text] : cases) EXPECT_EQ(FormatBurden(total), text) << total;
}

TEST(Results, FirstCharactersCountsLettersNotBytes) {
  EXPECT_EQ(FirstCharacters("GAME", 2), "GA");
  EXPECT_EQ(FirstCharacters("GAME", 7), "GAME");
  EXPECT_EQ(FirstCharacters("テロリスト", 2), "テロ");
  EXPECT_EQ(FirstCharacters("テロ", 0), "");
}

}  // namespace
}  // namespace talvessa
