// Whole runs of the game through the headless tool, from the logo through both endings and back,
// checked on the trace and on pictures taken on the way.
#include <gtest/gtest.h>

#include <map>

#include "png/png_file.h"
#include "support/headless_tool.h"
#include "support/scratch_folder.h"
#include "support/trace.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

// Space skips the logo and starts play; then a banknote thrown every 300 ms from the flag's first
// place: the money runs out, and Space goes on restarting from each end screen once it takes keys.
fs::path Script(const testing::ScratchFolder& dir, std::uint64_t untilMs) {
  std::string keys = "200 Space down\n400 Space up\n1000 Space down\n1200 Space up\n";
  for (std::uint64_t t = 3000; t < untilMs; t += 300) {
    keys += std::to_string(t) + " Space down\n" + std::to_string(t + 100) + " Space up\n";
  }
  keys += std::to_string(untilMs) + " Escape down\n";
  return dir.WriteText("keys.txt", keys);
}

// How many pixels of the window's row band [y0, y1) and columns [x0, x1) are not black.
int Ink(const WindowPicture& p, int x0, int x1, int y0, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const auto at = static_cast<std::size_t>((y * WindowPicture::kWidth + x) * 3);
      n += (p.rgb[at] | p.rgb[at + 1] | p.rgb[at + 2]) != 0 ? 1 : 0;
    }
  }
  return n;
}

WindowPicture PictureAt(const testing::ScratchFolder& dir, const std::string& keys, std::uint64_t ms) {
  const fs::path png = dir / ("at-" + std::to_string(ms) + ".png");
  const testing::ProcessResult out = testing::RunHeadless(
      {"--seed", "3", "--keys", keys, "--until-ms", std::to_string(ms), "--last-frame", png.string()});
  EXPECT_EQ(out.status, 0) << out.output;
  WindowPicture picture;
  EXPECT_TRUE(LoadPng(png.string(), picture)) << png;
  return picture;
}

TEST(WholeGame, FromTheLogoThroughGameOverAndTheTerroristsLeavingBackToTheTitleIntoPlayAndOutByEsc) {
  const testing::ScratchFolder dir("whole-game");
  const std::string keys = Script(dir, 116000).string();
  const testing::ProcessResult out =
      testing::RunHeadless({"--seed", "3", "--keys", keys, "--trace", (dir / "t.jsonl").string()});
  ASSERT_EQ(out.status, 0) << out.output;
  const std::vector<nlohmann::json> passes = testing::ReadTrace(dir / "t.jsonl");
  ASSERT_FALSE(passes.empty());
  EXPECT_EQ(testing::LoopsInOrder(passes),
            (std::vector<std::string>{"logo", "attract", "shatter", "attract", "play", "game_over", "attract",
                                      "shatter", "attract", "play", "ending", "attract", "shatter", "attract",
                                      "play", "exit"}));
  EXPECT_EQ(passes.back().at("reason"), "quit");

  // Each game opens the tune and starts it, and its end stops and closes it; the game-over screen
  // strikes a key for each of its eight letters, the ending is silent.
  std::vector<nlohmann::json> music;
  std::map<std::string, int> strikes;
  std::uint64_t gameOverAt = 0;
  std::uint64_t endingAt = 0;
  for (const nlohmann::json& pass : passes) {
    const std::string& loop = pass.at("loop").get_ref<const std::string&>();
    if (!pass.at("music").empty()) music.push_back(pass.at("music"));
    for (const nlohmann::json& effect : pass.at("effects")) {
      if (effect == "se4") ++strikes[loop];
    }
    if (loop == "game_over" && gameOverAt == 0) gameOverAt = pass.at("t_ms");
    if (loop == "ending" && endingAt == 0) endingAt = pass.at("t_ms");
  }
  const nlohmann::json opening = nlohmann::json::array({"open bg1.mid", "play"});
  const nlohmann::json closing = nlohmann::json::array({"stop", "close"});
  EXPECT_EQ(music, (std::vector<nlohmann::json>{opening, closing, opening, closing, opening, closing}));
  EXPECT_EQ(strikes, (std::map<std::string, int>{{"game_over", 8}}));

  // Pictures on the way: the results table under GAME OVER; the ending's message over the emptied
  // field. (The window shows the field at 32, 32.)
  const WindowPicture results = PictureAt(dir, keys, gameOverAt + 5000);
  EXPECT_GT(Ink(results, 32 + 176, 32 + 340, 32 + 64, 32 + 86), 100);   // GAME OVER
  EXPECT_GT(Ink(results, 32 + 264, 32 + 400, 32 + 144, 32 + 160), 50);  // rescued
  EXPECT_GT(Ink(results, 32 + 256, 32 + 500, 32 + 304, 32 + 320), 50);  // the population's date
  const WindowPicture ending = PictureAt(dir, keys, endingAt + 6000);
  EXPECT_GT(Ink(ending, 32 + 34, 32 + 200, 32 + 64, 32 + 86), 100);
  EXPECT_GT(Ink(ending, 32 + 208, 32 + 500, 32 + 64, 32 + 86), 100);
}

}  // namespace
}  // namespace talvessa
