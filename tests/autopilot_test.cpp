// Whole games played by the headless tool, checked on its trace: the autopilot wins phases 1 and 2,
// an idle player meets three standoffs and the terrorists leave, and a game given up in phase 2 is lost.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tool_runner.h"

namespace talvessa {
namespace {

// The whole-number value of a top-level field of one trace line.
long long FieldOf(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const std::size_t at = line.find(key);
  if (at == std::string::npos) return -1;
  return std::stoll(line.substr(at + key.size()));
}

struct Moment {
  long long ms, state, phase, rescued, notRescued, funds, standoffs;
};

// The trace of one run, reduced to the values these tests follow.
std::vector<Moment> Play(const std::string& name, const std::string& arguments, const std::string& keys = "") {
  const fs::path dir = Scratch(name);
  std::string args = arguments + " --trace " + (dir / "trace.jsonl").string();
  if (!keys.empty()) {
    std::ofstream(dir / "keys.txt") << keys;
    args += " --keys " + (dir / "keys.txt").string();
  }
  const Output out = RunTool(args);
  EXPECT_EQ(out.status, 0) << out.text;
  std::vector<Moment> moments;
  std::istringstream trace(Slurp(dir / "trace.jsonl"));
  for (std::string line; std::getline(trace, line);) {
    moments.push_back({FieldOf(line, "t_ms"), FieldOf(line, "GameState"), FieldOf(line, "Phase"),
                       FieldOf(line, "Rescued"), FieldOf(line, "NotRescued"), FieldOf(line, "Funds"),
                       FieldOf(line, "StandoffCount")});
  }
  fs::remove_all(dir);
  return moments;
}

// The first moment at which `holds`, or null.
template <typename Holds>
const Moment* First(const std::vector<Moment>& moments, Holds holds) {
  for (const Moment& m : moments) {
    if (holds(m)) return &m;
  }
  return nullptr;
}

constexpr long long kPlaying = 0, kGameOver = 1, kTerroristsLeft = 2;

TEST(Autopilot, WinsPhasesOneAndTwoInItsFirstGame) {
  const auto moments = Play("autopilot-phase3", "--seed 7 --autopilot --until-ms 420000");
  const Moment* phase2 = First(moments, [](const Moment& m) { return m.phase == 2; });
  const Moment* phase3 = First(moments, [](const Moment& m) { return m.phase == 3; });
  ASSERT_NE(phase2, nullptr);
  ASSERT_NE(phase3, nullptr);
  EXPECT_LT(phase2->ms, phase3->ms);
  EXPECT_GE(phase2->rescued, 100);
  EXPECT_GE(phase3->rescued, 251);
  EXPECT_EQ(First(moments, [](const Moment& m) { return m.state == kGameOver; }), nullptr);
  // The tallies never fall within the game, and money never goes below zero.
  for (std::size_t i = 1; i < moments.size(); ++i) {
    EXPECT_GE(moments[i].rescued, moments[i - 1].rescued);
    EXPECT_GE(moments[i].notRescued, moments[i - 1].notRescued);
    EXPECT_GE(moments[i].funds, 0);
  }
}

TEST(Autopilot, AnIdlePlayerMeetsThreeStandoffsAndTheTerroristsLeave) {
  const auto moments = Play("idle-standoffs", "--seed 3 --until-ms 150000", "4000 Space down\n4200 Space up\n");
  const Moment* broke = First(moments, [](const Moment& m) { return m.state == kPlaying && m.funds == 0; });
  ASSERT_NE(broke, nullptr);
  EXPECT_EQ(broke->rescued, 0);
  std::map<long long, long long> standoffAt;
  for (const Moment& m : moments) standoffAt.emplace(m.standoffs, m.ms);
  ASSERT_TRUE(standoffAt.count(3));
  EXPECT_LT(standoffAt[1], standoffAt[2]);
  EXPECT_LT(standoffAt[2], standoffAt[3]);
  const Moment* left = First(moments, [](const Moment& m) { return m.state == kTerroristsLeft; });
  ASSERT_NE(left, nullptr);
  EXPECT_GT(left->ms, standoffAt[3]);
  EXPECT_EQ(left->notRescued, 3);
  EXPECT_EQ(First(moments, [](const Moment& m) { return m.state == kGameOver; }), nullptr);
}

TEST(Autopilot, AGameGivenUpInPhaseTwoEndsOnTheGameOverScreen) {
  const auto moments = Play("phase2-lost", "--seed 5 --autopilot-until-phase 2 --until-ms 330000");
  const Moment* over = First(moments, [](const Moment& m) { return m.state == kGameOver; });
  ASSERT_NE(over, nullptr);
  EXPECT_EQ(over->phase, 2);
  EXPECT_EQ(over->funds, 0);
  EXPECT_GE(over->rescued, 100);
  EXPECT_GE(over->notRescued, 2);
}

TEST(Autopilot, CannotBeCombinedWithAKeyScript) {
  const fs::path dir = Scratch("autopilot-keys");
  std::ofstream(dir / "keys.txt") << "100 Space down\n";
  const Output out = RunTool("--autopilot --keys " + (dir / "keys.txt").string());
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.text.find("--autopilot"), std::string::npos) << out.text;
  EXPECT_EQ(RunTool("--autopilot-until-phase 4").status, 2);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace talvessa
