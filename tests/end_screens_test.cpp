// The two end screens, driven frame by frame on the headless backend: their typing, veils, sounds and
// keys, and the results table.
#include <gtest/gtest.h>

#include "block_glyphs.h"
#include "formats/utf8.h"
#include "harness.h"
#include "screen_watch.h"
#include "screens/screens.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::FieldSurfaces;
using testing::Harness;
using testing::RunScreen;
using testing::Watch;

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
  RunScreen(h.game, state, watch);
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
