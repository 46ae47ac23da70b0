#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "headless.h"
#include "platform/keys.h"
#include "support/headless_tool.h"
#include "support/scratch_folder.h"
#include "support/trace.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

const fs::path kSampleKeys = fs::path(TALVESSA_SOURCE_DIR) / "docs/sample-keys.txt";

TEST(KeyScript, ReadsKeysCloseCommentsAndBlankLines) {
  const auto events = ParseKeyScript(
      "# a comment\n\n  100 Space down  # pressed\n250 Space up\n300 Slash down\n4000 close\n", "k.txt");
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].atMs, 100u);
  EXPECT_EQ(events[0].kind, ScriptEvent::Kind::KeyDown);
  EXPECT_EQ(events[0].virtualKey, vk::Space);
  EXPECT_EQ(events[1].kind, ScriptEvent::Kind::KeyUp);
  EXPECT_EQ(events[2].virtualKey, vk::Slash);
  EXPECT_EQ(events[3].kind, ScriptEvent::Kind::CloseWindow);
  EXPECT_EQ(events[3].atMs, 4000u);
}

TEST(KeyScript, AMalformedLineIsAnErrorNamingFileAndLine) {
  for (auto [text, line] : {std::pair{"100 Space down\nsoon Space down\n", 2},
                            {"100 Spacebar down\n", 1},
                            {"# ok\n100 Space\n", 2},
                            {"100 Space sideways\n", 1},
                            {"-5 Space down\n", 1},
                            {"100 Space down extra\n", 1},
                            {"100 space down\n", 1}}) {
    try {
      ParseKeyScript(text, "keys.txt");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).rfind("keys.txt:" + std::to_string(line) + ": ", 0), 0u)
          << error.what();
    }
  }
}

TEST(HeadlessArguments, AreReadOrRefusedWithAReason) {
  const HeadlessOptions options =
      ParseHeadlessArguments({"--seed", "7", "--keys", "k", "--until-ms", "900", "--trace", "t", "--frames",
                              "f", "--every", "3", "--clock-start", "4294967000"});
  EXPECT_EQ(options.seed, 7u);
  EXPECT_EQ(options.keysFile, "k");
  EXPECT_EQ(options.untilMs, 900u);
  EXPECT_EQ(options.traceFile, "t");
  EXPECT_EQ(options.framesDir, "f");
  EXPECT_EQ(options.every, 3u);
  EXPECT_EQ(options.clockStartMs, 4294967000u);
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--seed"},
                                             {"--seed", "x"},
                                             {"--every", "0"},
                                             {"--frobnicate", "1"},
                                             {"--clock-start", "4294967296"},
                                             {"--until-ms", "-1"}}) {
    EXPECT_THROW(ParseHeadlessArguments(bad), std::runtime_error) << bad[0];
  }
}

TEST(HeadlessTool, BadArgumentsEndWithOneLineAndAFailingStatus) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--frobnicate"}, {"--seed", "banana"}, {"--keys", "/nonexistent/keys.txt", "--until-ms", "10"}}) {
    const testing::ProcessResult out = testing::RunHeadless(arguments);
    EXPECT_NE(out.status, 0) << ::testing::PrintToString(arguments);
    EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output;
    EXPECT_EQ(out.output.rfind("talvessa-headless: ", 0), 0u) << out.output;
  }
  const testing::ScratchFolder dir("badkeys");
  const fs::path keys = dir.WriteText("keys.txt", "100 Space down\n200 Spcae up\n");
  const testing::ProcessResult out = testing::RunHeadless({"--keys", keys.string()});
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.output.find("keys.txt:2: unknown key \"Spcae\""), std::string::npos) << out.output;
}

TEST(HeadlessTool, TheSameSeedAndKeysGiveTheSameTraceAndFramesByteForByte) {
  const testing::ScratchFolder dir("determinism");
  for (const std::string run : {"a", "b"}) {
    const testing::ProcessResult out = testing::RunHeadless(
        {"--seed", "11", "--keys", kSampleKeys.string(), "--until-ms", "6000", "--trace",
         (dir / (run + ".jsonl")).string(), "--frames", (dir / run).string(), "--every", "3"});
    ASSERT_EQ(out.status, 0) << out.output;
  }
  const std::string trace = testing::ReadText(dir / "a.jsonl");
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace, testing::ReadText(dir / "b.jsonl"));
  std::size_t frames = 0;
  for (const auto& entry : fs::directory_iterator(dir / "a")) {
    ++frames;
    EXPECT_EQ(testing::ReadText(entry.path()), testing::ReadText(dir / "b" / entry.path().filename()))
        << entry.path();
  }
  EXPECT_GT(frames, 3u);
}

TEST(HeadlessTool, TheSampleScriptGoesFromTheLogoIntoPlayAndOutByEsc) {
  const testing::ScratchFolder dir("sample");
  const testing::ProcessResult out =
      testing::RunHeadless({"--keys", kSampleKeys.string(), "--trace", (dir / "t.jsonl").string()});
  ASSERT_EQ(out.status, 0) << out.output;

  const std::vector<nlohmann::json> passes = testing::ReadTrace(dir / "t.jsonl");
  ASSERT_FALSE(passes.empty());
  // The pass that takes Space is noted after the shatter it runs.
  EXPECT_EQ(testing::LoopsInOrder(passes), (std::vector<std::string>{"logo", "attract", "shatter", "attract",
                                                                     "play", "pause", "play", "exit"}));
  EXPECT_TRUE(std::any_of(passes.begin(), passes.end(), [](const nlohmann::json& pass) {
    return pass.at("effects") == nlohmann::json::array({"se0"});
  })) << "no pass threw a banknote alone";
  const nlohmann::json& last = passes.back();
  EXPECT_EQ(last.at("reason"), "quit");
  EXPECT_EQ(last.at("GameState"), 30);
  EXPECT_EQ(last.at("music"), nlohmann::json::array({"stop", "close"})) << last;
}

TEST(HeadlessTool, RunsThroughTheClockWrap) {
  const testing::ScratchFolder dir("wrap");
  const testing::ProcessResult normal =
      testing::RunHeadless({"--keys", kSampleKeys.string(), "--trace", (dir / "n.jsonl").string()});
  const testing::ProcessResult wrapped = testing::RunHeadless(
      {"--clock-start", "4294966000", "--keys", kSampleKeys.string(), "--trace", (dir / "w.jsonl").string()});
  ASSERT_EQ(normal.status, 0) << normal.output;
  ASSERT_EQ(wrapped.status, 0) << wrapped.output;
  // The clock wraps during the logo; the run is the same pass for pass.
  const std::string trace = testing::ReadText(dir / "n.jsonl");
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace, testing::ReadText(dir / "w.jsonl"));
}

}  // namespace
}  // namespace talvessa
