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

// Space skips the logo and starts play; then a banknote thrown every nine passes (300 ms of play) from
// the flag's first place: the money runs out, and Space goes on restarting from each end screen once it
// takes keys. Keyed by loop pass, so that how the game waits cannot change the run.
fs::path Script(const testing::ScratchFolder& dir, std::uint64_t untilPass) {
  std::string keys = "p4 Space down\np7 Space up\np16 Space down\np19 Space up\n";
  std::uint64_t pass = 46;
  for (; pass < untilPass; pass += 9) {
    keys += "p" + std::to_string(pass) + " Space down\np" + std::to_string(pass + 3) + " Space up\n";
  }
  keys += "p" + std::to_string(pass) + " Escape down\n";
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

// The picture in the window once `passes` loop passes are done.
WindowPicture PictureAt(const testing::ScratchFolder& dir, const std::string& keys, std::uint64_t passes) {
  const fs::path png = dir / ("at-" + std::to_string(passes) + ".png");
  const testing::ProcessResult out = testing::RunHeadless(
      {"--seed", "3", "--keys", keys, "--until-pass", std::to_string(passes), "--last-frame", png.string()});
  EXPECT_EQ(out.status, 0) << out.output;
  WindowPicture picture;
  EXPECT_TRUE(LoadPng(png.string(), picture)) << png;
  return picture;
}

TEST(WholeGame, FromTheLogoThroughGameOverAndTheTerroristsLeavingBackToTheTitleIntoPlayAndOutByEsc) {
  const testing::ScratchFolder dir("whole-game");
  const std::string keys = Script(dir, 3400).string();
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
  // Passes are counted from 1.
  std::uint64_t gameOverAt = 0;
  std::uint64_t endingAt = 0;
  std::uint64_t number = 0;
  for (const nlohmann::json& pass : passes) {
    ++number;
    const std::string& loop = pass.at("loop").get_ref<const std::string&>();
    if (!pass.at("music").empty()) music.push_back(pass.at("music"));
    for (const nlohmann::json& effect : pass.at("effects")) {
      if (effect == "se4") ++strikes[loop];
    }
    if (loop == "game_over" && gameOverAt == 0) gameOverAt = number;
    if (loop == "ending" && endingAt == 0) endingAt = number;
  }
  const nlohmann::json opening = nlohmann::json::array({"open bg1.mid", "play"});
  const nlohmann::json closing = nlohmann::json::array({"stop", "close"});
  EXPECT_EQ(music, (std::vector<nlohmann::json>{opening, closing, opening, closing, opening, closing}));
  EXPECT_EQ(strikes, (std::map<std::string, int>{{"game_over", 8}}));

  // Pictures on the way, 5 and 6 seconds into the end screens (67 ms passes): the results table under
  // GAME OVER; the ending's message over the emptied field. (The window shows the field at 32, 32.)
  const WindowPicture results = PictureAt(dir, keys, gameOverAt + 75);
  EXPECT_GT(Ink(results, 32 + 176, 32 + 340, 32 + 64, 32 + 86), 100);   // GAME OVER
  EXPECT_GT(Ink(results, 32 + 264, 32 + 400, 32 + 144, 32 + 160), 50);  // rescued
  EXPECT_GT(Ink(results, 32 + 256, 32 + 500, 32 + 304, 32 + 320), 50);  // the population's date
  const WindowPicture ending = PictureAt(dir, keys, endingAt + 90);
  EXPECT_GT(Ink(ending, 32 + 34, 32 + 200, 32 + 64, 32 + 86), 100);
  EXPECT_GT(Ink(ending, 32 + 208, 32 + 500, 32 + 64, 32 + 86), 100);
}

}  // namespace
}  // namespace talvessa
