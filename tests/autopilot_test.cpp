// Whole games played by the headless tool, checked on its trace: the autopilot wins phases 1 and 2,
// an idle player meets three standoffs and the terrorists leave, and a game given up in phase 2 is lost.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "support/headless_tool.h"
#include "support/scratch_folder.h"
#include "support/trace.h"

namespace talvessa {
namespace {

struct Moment {
  long long ms, state, phase, rescued, notRescued, funds, standoffs;
};

// The trace of one run, reduced to the values these tests follow.
std::vector<Moment> Play(const std::string& name, std::vector<std::string> arguments,
                         const std::string& keys = "") {
  const testing::ScratchFolder dir(name);
  arguments.insert(arguments.end(), {"--trace", (dir / "trace.jsonl").string()});
  if (!keys.empty()) arguments.insert(arguments.end(), {"--keys", dir.WriteText("keys.txt", keys).string()});
  const testing::ProcessResult out = testing::RunHeadless(arguments);
  EXPECT_EQ(out.status, 0) << out.output;
  std::vector<Moment> moments;
  for (const nlohmann::json& pass : testing::ReadTrace(dir / "trace.jsonl")) {
    moments.push_back({pass.at("t_ms"), pass.at("GameState"), pass.at("Phase"), pass.at("Rescued"),
                       pass.at("NotRescued"), pass.at("Funds"), pass.at("StandoffCount")});
  }
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
  const auto moments = Play("autopilot-phase3", {"--seed", "7", "--autopilot", "--until-pass", "12308"});
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
  const auto moments =
      Play("idle-standoffs", {"--seed", "3", "--until-pass", "3108"}, "p61 Space down\np70 Space up\n");
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
  const auto moments =
      Play("phase2-lost", {"--seed", "5", "--autopilot-until-phase", "2", "--until-pass", "8476"});
  const Moment* over = First(moments, [](const Moment& m) { return m.state == kGameOver; });
  ASSERT_NE(over, nullptr);
  EXPECT_EQ(over->phase, 2);
  EXPECT_EQ(over->funds, 0);
  EXPECT_GE(over->rescued, 100);
  EXPECT_GE(over->notRescued, 2);
}

TEST(Autopilot, CannotBeCombinedWithAKeyScript) {
  const testing::ScratchFolder dir("autopilot-keys");
  const testing::ProcessResult out =
      testing::RunHeadless({"--autopilot", "--keys", dir.WriteText("keys.txt", "100 Space down\n").string()});
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.output.find("--autopilot"), std::string::npos) << out.output;
  EXPECT_EQ(testing::RunHeadless({"--autopilot-until-phase", "4"}).status, 2);
}

}  // namespace
}  // namespace talvessa
