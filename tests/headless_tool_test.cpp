#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "headless.h"
#include "platform/keys.h"
#include "tool_runner.h"

namespace talvessa {
namespace {

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
  for (const char* arguments :
       {"--frobnicate", "--seed banana", "--keys /nonexistent/keys.txt --until-ms 10"}) {
    const Output out = RunTool(arguments);
    EXPECT_NE(out.status, 0) << arguments;
    EXPECT_EQ(std::count(out.text.begin(), out.text.end(), '\n'), 1) << out.text;
    EXPECT_EQ(out.text.rfind("talvessa-headless: ", 0), 0u) << out.text;
  }
  const fs::path dir = Scratch("badkeys");
  std::ofstream(dir / "keys.txt") << "100 Space down\n200 Spcae up\n";
  const Output out = RunTool("--keys " + (dir / "keys.txt").string());
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.text.find("keys.txt:2: unknown key \"Spcae\""), std::string::npos) << out.text;
}

TEST(HeadlessTool, TheSameSeedAndKeysGiveTheSameTraceAndFramesByteForByte) {
  const fs::path dir = Scratch("determinism");
  const std::string keys = (fs::path(TALVESSA_SOURCE_DIR) / "docs/sample-keys.txt").string();
  for (const char* run : {"a", "b"}) {
    const Output out =
        RunTool("--seed 11 --keys " + keys + " --until-ms 6000 --trace " + (dir / run).string() +
                ".jsonl --frames " + (dir / run).string() + " --every 3");
    ASSERT_EQ(out.status, 0) << out.text;
  }
  const std::string trace = Slurp(dir / "a.jsonl");
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace, Slurp(dir / "b.jsonl"));
  std::size_t frames = 0;
  for (const auto& entry : fs::directory_iterator(dir / "a")) {
    ++frames;
    EXPECT_EQ(Slurp(entry.path()), Slurp(dir / "b" / entry.path().filename())) << entry.path();
  }
  EXPECT_GT(frames, 3u);
}

// Reads one whole-number field of a trace line.
long Field(const std::string& line, const std::string& name) {
  const auto at = line.find("\"" + name + "\":");
  if (at == std::string::npos) return -999999;
  return std::stol(line.substr(at + name.size() + 3));
}

TEST(HeadlessTool, TheSampleScriptGoesFromTheLogoIntoPlayAndOutByEsc) {
  const fs::path dir = Scratch("sample");
  const std::string keys = (fs::path(TALVESSA_SOURCE_DIR) / "docs/sample-keys.txt").string();
  const Output out = RunTool("--keys " + keys + " --trace " + (dir / "t.jsonl").string());
  ASSERT_EQ(out.status, 0) << out.text;

  std::istringstream lines(Slurp(dir / "t.jsonl"));
  std::vector<std::string> loops;
  std::string line;
  std::string last;
  bool threw = false;
  while (std::getline(lines, line)) {
    const auto at = line.find("\"loop\":\"") + 8;
    const std::string loop = line.substr(at, line.find('"', at) - at);
    if (loops.empty() || loops.back() != loop) loops.push_back(loop);
    threw = threw || line.find("\"effects\":[\"se0\"]") != std::string::npos;
    last = line;
  }
  // The pass that takes Space is noted after the shatter it runs.
  EXPECT_EQ(loops, (std::vector<std::string>{"logo", "attract", "shatter", "attract", "play", "pause", "play",
                                             "exit"}));
  EXPECT_TRUE(threw);
  EXPECT_NE(last.find("\"reason\":\"quit\""), std::string::npos);
  EXPECT_EQ(Field(last, "GameState"), 30);
  EXPECT_NE(last.find("\"music\":[\"stop\",\"close\"]"), std::string::npos) << last;
}

TEST(HeadlessTool, RunsThroughTheClockWrap) {
  const fs::path dir = Scratch("wrap");
  const std::string keys = (fs::path(TALVESSA_SOURCE_DIR) / "docs/sample-keys.txt").string();
  const Output normal = RunTool("--keys " + keys + " --trace " + (dir / "n.jsonl").string());
  const Output wrapped =
      RunTool("--clock-start 4294966000 --keys " + keys + " --trace " + (dir / "w.jsonl").string());
  ASSERT_EQ(normal.status, 0);
  ASSERT_EQ(wrapped.status, 0);
  // The clock wraps during the logo; the run is the same pass for pass.
  EXPECT_EQ(Slurp(dir / "n.jsonl"), Slurp(dir / "w.jsonl"));
}

}  // namespace
}  // namespace talvessa
