#include "support/headless_tool.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "headless.h"
#include "platform/keys.h"
#include "png/png_file.h"
#include "formats/quoted.h"
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
                            {"100 space down\n", 1},
                            // Beyond the latest time: a thousandfold of it would wrap the clock round.
                            {"1000000000000001 close\n", 1},
                            {"1 close\n18446744073709552 Space down\n", 2}}) {
    try {
      ParseKeyScript(text, "keys.txt");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).rfind("keys.txt:" + std::to_string(line) + ": ", 0), 0u)
          << error.what();
    }
  }
}

TEST(KeyScript, MessagesShowWhatTheyQuoteEscapedAndCut) {
  EXPECT_EQ(ParseKeyScript("1000000000000000 close\n", "k").at(0).atMs, HeadlessInput::kLatestMs);
  for (auto [text, message] :
       {std::pair<std::string, std::string>{std::string("5 Sp\0ce down\n", 13),
                                            "k:1: unknown key \"Sp\\0ce\" (keys: "},
        {"5 \"\x1b[2J\" up\n", "k:1: unknown key \"\\\"\\x1b[2J\\\"\" (keys: "},
        {"5 Space " + std::string(1000, 'u') + "\n",
         "k:1: expected down or up, found \"" + std::string(kQuotedLength, 'u') + "\"...\n"}}) {
    try {
      ParseKeyScript(text, "k");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ((std::string(error.what()) + "\n").rfind(message, 0), 0u) << error.what();
    }
  }
  // A cut never splits a UTF-8 letter.
  EXPECT_EQ(Quoted(std::string(kQuotedLength - 1, 'a') + "\u00e9\u00e9"),
            "\"" + std::string(kQuotedLength - 1, 'a') + "\"...");
  EXPECT_EQ(Quoted("caf\u00e9\t"), "\"caf\u00e9\\t\"");
}

TEST(HeadlessTime, TimesFarAheadNeverComeEarly) {
  HeadlessClock clock(1, 0xFFFFFFFFu);
  HeadlessInput input(clock,
                      {{HeadlessInput::kLatestMs, ScriptEvent::Kind::KeyDown, vk::Space},
                       {18'446'744'073'709'552, ScriptEvent::Kind::KeyDown, vk::Enter},
                       {~std::uint64_t{0}, ScriptEvent::Kind::CloseWindow, 0}},
                      18'446'744'073'709'552);
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_EQ(input.PumpEvents(), PumpResult::Running);
    EXPECT_FALSE(input.WaitForEvents(1000));
  }
  EXPECT_FALSE(input.KeyDown(vk::Space) || input.KeyDown(vk::Enter));
  EXPECT_EQ(clock.ElapsedUs(), 3'000'000u + 3 * HeadlessInput::kPumpCostUs);
  // At the very end the clock stops rather than wrapping round to its start.
  clock.Advance(~std::uint64_t{0} - 10);
  EXPECT_TRUE(input.WaitForEvents(1000));
  EXPECT_EQ(clock.ElapsedUs(), ~std::uint64_t{0});
  EXPECT_EQ(clock.ClockUs(), ~std::uint64_t{0});
  EXPECT_THROW(input.PumpEvents(), HeadlessTimeUp);
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
                                             {"--until-ms", "-1"},
                                             {"--until-ms", "18446744073709552"},
                                             {"--keys", ""},
                                             {"--trace", ""},
                                             {"--frames", ""},
                                             {"--last-frame", ""}}) {
    EXPECT_THROW(ParseHeadlessArguments(bad), std::runtime_error) << bad[0];
  }
}

TEST(HeadlessTool, BadArgumentsEndWithOneLineAndAFailingStatus) {
  const testing::ScratchFolder dir("badkeys");
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--frobnicate"},
                                             {"--seed", "banana"},
                                             {"--keys", "/nonexistent/keys.txt", "--until-ms", "10"},
                                             {"--keys", dir.path().string(), "--until-ms", "10"},
                                             {"--keys", "/dev/zero", "--until-ms", "10"},
                                             {"--seed", std::string(100'000, '9') + "x"}}) {
    const testing::ProcessResult out = testing::RunHeadless(arguments);
    EXPECT_EQ(out.status, 2) << out.output.substr(0, 200);
    EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output.substr(0, 200);
    EXPECT_EQ(out.output.rfind("talvessa-headless: ", 0), 0u) << out.output.substr(0, 200);
    EXPECT_LT(out.output.size(), 200u) << out.output.substr(0, 200);
  }
  const fs::path keys = dir.WriteText("keys.txt", "100 Space down\n200 Spcae up\n");
  const testing::ProcessResult out = testing::RunHeadless({"--keys", keys.string()});
  EXPECT_EQ(out.status, 2);
  EXPECT_NE(out.output.find("keys.txt:2: unknown key \"Spcae\""), std::string::npos) << out.output;
}

// The tool run by a shell that lets no file grow beyond `limitKb`: a write beyond it fails, as on a full
// disk, instead of ending the process.
testing::ProcessResult RunHeadlessWithFilesUpTo(int limitKb, const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {
      "-c", "trap '' XFSZ; ulimit -f " + std::to_string(limitKb) + "; exec \"$@\"", "sh", TALVESSA_HEADLESS};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return testing::RunProcess("/bin/bash", command, testing::kHeadlessTimeout);
}

TEST(HeadlessTool, AWriteThatFailsEndsTheRunWithOneLineAndLeavesNoPartialFile) {
  const testing::ScratchFolder dir("failed-writes");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
    int limitKb = 0;  // 0: no limit
  };
  const std::string keys = kSampleKeys.string();
  for (const Case& run : std::vector<Case>{
           {{"--until-ms", "100", "--last-frame", "/dev/full"},
            "cannot write /dev/full: No space left on device"},
           {{"--until-ms", "100", "--trace", (dir / "missing/t.jsonl").string()},
            "cannot write " + (dir / "missing/t.jsonl").string() + ": No such file or directory"},
           {{"--keys", keys, "--trace", (dir / "t.jsonl").string()}, ": File too large", 64},
           {{"--keys", keys, "--frames", (dir / "frames").string()}, ": File too large", 4},
           {{"--keys", keys, "--last-frame", (dir / "last.png").string()}, ": File too large", 4}}) {
    const testing::ProcessResult out = run.limitKb > 0 ? RunHeadlessWithFilesUpTo(run.limitKb, run.arguments)
                                                       : testing::RunHeadless(run.arguments);
    EXPECT_EQ(out.status, 1) << out.output;
    EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output;
    EXPECT_EQ(out.output.rfind("talvessa-headless: ", 0), 0u) << out.output;
    EXPECT_NE(out.output.find(run.message), std::string::npos) << out.output;
  }
  // The pictures written before the failure are whole; the one that failed and the trace are not there.
  std::size_t frames = 0;
  for (const auto& entry : fs::directory_iterator(dir / "frames")) {
    WindowPicture picture;
    EXPECT_TRUE(LoadPng(entry.path().string(), picture)) << entry.path();
    ++frames;
  }
  EXPECT_GT(frames, 0u);
  EXPECT_FALSE(fs::exists(dir / "t.jsonl"));
  EXPECT_FALSE(fs::exists(dir / "last.png"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "only frames/";
}

// What is to be written and is no file is refused at once, in one line with its name escaped: a pipe that
// nothing reads (which a plain open waits on for ever), a folder, a socket. A pipe with a reader is
// written as a file is.
TEST(HeadlessTool, ATargetThatIsNoFileIsRefusedAtOnceAndAReadPipeIsWritten) {
  const testing::ScratchFolder dir("special-targets");
  const std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socket = (dir / "socket").string();
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socket.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::string folder = dir.path().string();
  const std::string unread = ": a pipe that nothing reads";
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  for (const Case& run : std::vector<Case>{
           {{"--trace", fifo}, "cannot write " + fifo + unread},
           {{"--hashes", fifo}, "cannot write " + fifo + unread},
           {{"--last-frame", fifo}, "cannot write " + fifo + unread},
           {{"--save-replay", fifo}, "cannot record to " + fifo + unread},
           {{"--trace", socket}, "cannot write " + socket + ": a socket, not a file"},
           {{"--save-replay", socket}, "cannot record to " + socket + ": a socket, not a file"},
           {{"--trace", folder}, "cannot write " + folder + ": a folder, not a file"},
           {{"--last-frame", folder + "/new/"}, "cannot write " + folder + "/new/: a folder, not a file"},
           {{"--save-replay", folder}, "cannot record to " + folder + ": a folder, not a file"},
           {{"--trace", folder + "/\x1b[2J/t"}, "cannot write \"" + folder + "/\\x1b[2J/t\": No such file"},
           {{"--save-replay", folder + "/\n/r"}, "cannot record to \"" + folder + "/\\n/r\": No such file"}}) {
    std::vector<std::string> arguments = {"--until-ms", "100"};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
    const testing::ProcessResult out = testing::RunProcess(TALVESSA_HEADLESS, arguments, std::chrono::seconds(20));
    EXPECT_FALSE(out.timedOut) << run.message;
    EXPECT_EQ(out.status, 1) << out.output;
    EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output;
    EXPECT_EQ(out.output.rfind("talvessa-headless: ", 0), 0u) << out.output;
    EXPECT_NE(out.output.find(run.message), std::string::npos) << out.output;
    EXPECT_EQ(out.output.find_first_of("\x1b\r"), std::string::npos) << out.output;
  }
  close(listening);
  // The tool's own output is a pipe its runner reads.
  const testing::ProcessResult out = testing::RunHeadless({"--until-ms", "100", "--trace", "/dev/stdout"});
  EXPECT_EQ(out.status, 0) << out.output;
  EXPECT_NE(out.output.find("\"reason\":\"time\""), std::string::npos) << out.output;
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
