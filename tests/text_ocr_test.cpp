// Whether a player can read the game's texts: each screen is rendered by the headless tool as the game
// draws it, the pixels of the text's own colour are lifted out of the frame (the ground, the veils and the
// shadows are not text), enlarged, and read back by tesseract's Japanese model. The score of a screen is
// the share of its characters recognised in order (longest common subsequence over length).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "formats/utf8.h"
#include "png/png_file.h"
#include "present/text.h"
#include "screens/screens.h"
#include "support/headless_tool.h"
#include "support/scratch_folder.h"
#include "support/trace.h"
#include "world/world.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTesseract = "/usr/bin/tesseract";
constexpr int kEnlarge = 4;
constexpr int kMargin = 12;  // blank pixels around the enlarged line, as on a page
constexpr double kLegible = 0.85;

// A line of the window picture (576 x 448; the game's surfaces sit at 32, 32) and what it says.
struct Line {
  int x, y, width, height;
  Colour colour;
  std::string expected;
};

// The key script of the screenshots: start, then a banknote every 0.3 s until the money runs out.
std::string ThrowingKeys() {
  std::string keys = "200 Space down\n400 Space up\n1000 Space down\n1200 Space up\n";
  for (int t = 3000; t < 120000; t += 300) {
    keys += std::to_string(t) + " Space down\n" + std::to_string(t + 100) + " Space up\n";
  }
  return keys;
}

struct Frame {
  WindowPicture picture;
  nlohmann::json last;  // the trace's last pass before the run ended
};

// The run's last picture; `keys` is a key script, or empty for the autopilot.
Frame RenderFrame(const testing::ScratchFolder& dir, const std::string& name, int seed, int untilMs,
                  const std::string& keys) {
  const fs::path png = dir / (name + ".png"), trace = dir / (name + ".jsonl");
  std::vector<std::string> args = {
      "--seed",       std::to_string(seed), "--until-ms", std::to_string(untilMs),
      "--last-frame", png.string(),         "--trace",    trace.string()};
  if (keys.empty()) {
    args.push_back("--autopilot");
  } else {
    args.insert(args.end(), {"--keys", dir.WriteText(name + "-keys.txt", keys).string()});
  }
  const testing::ProcessResult run = testing::RunHeadless(args);
  EXPECT_EQ(run.status, 0) << run.output;
  Frame frame;
  EXPECT_TRUE(LoadPng(png.string(), frame.picture)) << png;
  const std::vector<nlohmann::json> passes = testing::ReadTrace(trace);
  EXPECT_GE(passes.size(), 2u);
  if (passes.size() >= 2) frame.last = passes[passes.size() - 2];
  return frame;
}

// The line as dark ink on white paper, enlarged: a pixel's ink is how far it has come up to the text
// colour in every channel the colour has much of (light text is laid on by taking the lighter value), so
// the darker ground, grid and shadow read as paper.
std::string InkPicture(const WindowPicture& picture, const Line& line) {
  const std::uint8_t colour[3] = {static_cast<std::uint8_t>(line.colour & 0xFF),
                                  static_cast<std::uint8_t>((line.colour >> 8) & 0xFF),
                                  static_cast<std::uint8_t>((line.colour >> 16) & 0xFF)};
  std::vector<double> ink(static_cast<std::size_t>(line.width) * line.height, 0.0);
  for (int y = 0; y < line.height; ++y) {
    for (int x = 0; x < line.width; ++x) {
      const std::uint8_t* p =
          &picture.rgb[(static_cast<std::size_t>(line.y + y) * WindowPicture::kWidth + line.x + x) * 3];
      double reach = 1.0;
      for (int k = 0; k < 3; ++k) {
        if (colour[k] >= 64) reach = std::min(reach, static_cast<double>(p[k]) / colour[k]);
      }
      ink[static_cast<std::size_t>(y) * line.width + x] = std::clamp((reach - 0.35) / 0.65, 0.0, 1.0);
    }
  }
  // Bilinear enlargement onto a white page, as a binary PGM.
  const int width = line.width * kEnlarge + 2 * kMargin, height = line.height * kEnlarge + 2 * kMargin;
  std::string pgm = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  auto at = [&](int x, int y) {
    x = std::clamp(x, 0, line.width - 1);
    y = std::clamp(y, 0, line.height - 1);
    return ink[static_cast<std::size_t>(y) * line.width + x];
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double value = 0.0;
      const int ex = x - kMargin, ey = y - kMargin;
      if (ex >= 0 && ey >= 0 && ex < line.width * kEnlarge && ey < line.height * kEnlarge) {
        const double sx = (ex + 0.5) / kEnlarge - 0.5, sy = (ey + 0.5) / kEnlarge - 0.5;
        const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
        const double fx = sx - x0, fy = sy - y0;
        value = (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
                (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
      }
      pgm.push_back(static_cast<char>(255 - static_cast<int>(value * 255 + 0.5)));
    }
  }
  return pgm;
}

// Full-width Latin letters, digits and signs count as their ASCII twins; blanks do not count.
std::vector<char32_t> Comparable(const std::string& utf8) {
  std::vector<char32_t> out;
  for (char32_t c : DecodeUtf8(utf8).value_or(std::vector<char32_t>{})) {
    if (c >= U'\uFF01' && c <= U'\uFF5E') c = c - 0xFEE0;
    if (c != U' ' && c != U'\u3000' && c != U'\n' && c != U'\f' && c != U'\t') out.push_back(c);
  }
  return out;
}

std::size_t CommonSubsequence(const std::vector<char32_t>& a, const std::vector<char32_t>& b) {
  std::vector<std::size_t> row(b.size() + 1, 0);
  for (char32_t ca : a) {
    std::size_t diagonal = 0;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = ca == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The share of the lines' characters tesseract reads in order, each line read on its own.
double Legibility(const testing::ScratchFolder& dir, const std::string& screen, const WindowPicture& picture,
                  const std::vector<Line>& lines) {
  std::size_t found = 0, total = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.x < 0 || line.y < 0 || line.x + line.width > WindowPicture::kWidth ||
        line.y + line.height > WindowPicture::kHeight) {
      ADD_FAILURE() << screen << ": \"" << line.expected << "\" lies outside the window";
      continue;
    }
    const std::string stem = screen + "-" + std::to_string(i);
    const std::string pgm = InkPicture(picture, line);
    const fs::path image = dir.Write(stem + ".pgm", std::vector<std::uint8_t>(pgm.begin(), pgm.end()));
    const testing::ProcessResult run = testing::RunProcess(
        kTesseract, {image.string(), (dir / stem).string(), "-l", "jpn", "--psm", "7", "--dpi", "300"});
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string read = testing::ReadText(dir / (stem + ".txt"));
    const std::vector<char32_t> expected = Comparable(line.expected);
    const std::size_t common = CommonSubsequence(expected, Comparable(read));
    std::printf("  %s: \"%s\" read as \"%s\" (%zu of %zu)\n", screen.c_str(), line.expected.c_str(),
                std::string(read.substr(0, read.find_last_not_of("\n\f ") + 1)).c_str(), common,
                expected.size());
    found += common;
    total += expected.size();
  }
  return total == 0 ? 0.0 : static_cast<double>(found) / static_cast<double>(total);
}

// The first moment of the autopilot's play when a reward has risen and stands still in its column (its
// timer is well past the rise), whole within the field, which is 512 pixels wide; and that column.
struct Reward {
  int ms = 0;
  int column = -1;
};
Reward StandingReward(const testing::ScratchFolder& dir, int seed) {
  const fs::path trace = dir / "rewards.jsonl";
  const testing::ProcessResult run = testing::RunHeadless(
      {"--seed", std::to_string(seed), "--autopilot", "--until-ms", "120000", "--trace", trace.string()});
  EXPECT_EQ(run.status, 0) << run.output;
  const std::int16_t showing[] = {unit::RisingOut, unit::LeavingPhase1, unit::VehicleRisingOut,
                                  unit::LeavingPhase2, unit::AircraftRisingOut};
  for (const nlohmann::json& pass : testing::ReadTrace(trace)) {
    if (pass.value("loop", "") != "play") continue;
    for (int i = 0; i < kColumns; ++i) {
      const int timer = pass["Popups"][i][2], state = pass["Units"][i][5];
      const int x = pass["Popups"][i][0];
      if (timer == 12 && x >= 0 && x + 48 <= 512 &&
          std::find(std::begin(showing), std::end(showing), state) != std::end(showing)) {
        return Reward{pass["t_ms"], i};
      }
    }
  }
  return {};
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text.erase(text.find_last_not_of(' ') + 1);
}

TEST(TextOcr, EveryScreensTextsReadAtOneTimesTheSize) {
  testing::ScratchFolder dir("text-ocr");
  const std::string throwing = ThrowingKeys();
  const Colour white = kWhite, prompt = Rgb(200, 240, 20);

  const Frame title = RenderFrame(dir, "title", 1, 6000, "# no keys\n");
  const Reward reward = StandingReward(dir, 7);
  ASSERT_GE(reward.column, 0) << "no reward rose in two minutes of the autopilot's play";
  const Frame play = RenderFrame(dir, "play", 7, reward.ms, "");
  const Frame pause = RenderFrame(dir, "pause", 7, 31000,
                                  "4000 Space down\n4200 Space up\n30000 Enter down\n30200 Enter up\n");
  const Frame results = RenderFrame(dir, "results", 3, 43700, throwing);
  const Frame ending = RenderFrame(dir, "ending", 3, 112200, throwing);
  ASSERT_EQ(play.last.value("loop", ""), "play");
  ASSERT_EQ(results.last.value("loop", ""), "game_over");
  ASSERT_EQ(ending.last.value("loop", ""), "ending");

  const std::int32_t yen = results.last.value("ShotsYen", 0);
  const nlohmann::json& popup = play.last["Popups"][reward.column];
  const int popupX = popup[0].get<int>() + 32, popupY = popup[1].get<int>() + 32;
  struct Screen {
    std::string name;
    const Frame& frame;
    std::vector<Line> lines;
  };
  const std::vector<Screen> screens = {
      {"title",
       title,
       {{32, 108, 512, 40, white, "Talvessa"}, {32, 312, 512, 28, prompt, "スペースキーを押して下さい"}}},
      {"play",
       play,
       {{200, 33, 120, 28, white, Trimmed(NumberText(play.last.value("Funds", 0)))},
        {popupX - 4, popupY - 4, 64, 24, white, Trimmed(NumberText(popup[3].get<int>()))}}},
      {"pause", pause, {{200, 212, 176, 26, white, "PAUSE"}}},
      {"results",
       results,
       {{32, 92, 512, 30, white, "GAMEOVER"},
        {32, 172, 512, 24, white,
         "救出した人数 ：" + std::to_string(results.last.value("Rescued", 0)) + "人"},
        {32, 204, 512, 24, white,
         "救出されなかった人数 ：" + std::to_string(results.last.value("NotRescued", 0)) + "人"},
        {32, 236, 512, 24, white, "放った実弾 ：" + FormatYenAmount(yen)},
        {32, 268, 512, 24, white, "国民一人当たりの負担額 ：" + FormatBurden(yen)},
        {32, 300, 512, 24, white, "日本の人口 ：１２７７１万人"},
        {32, 332, 512, 24, white, "（平成１６年４月１日現在）"}}},
      {"ending", ending, {{32, 92, 512, 30, white, "テロリスト達は、帰って行ってしまいました"}}},
  };
  for (const Screen& screen : screens) {
    const double score = Legibility(dir, screen.name, screen.frame.picture, screen.lines);
    std::printf("%s: %.0f %% of the characters read\n", screen.name.c_str(), score * 100);
    EXPECT_GE(score, kLegible) << screen.name;
  }
  if (HasFailure()) dir.Keep();
}

}  // namespace
}  // namespace talvessa
