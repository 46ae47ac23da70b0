// Replays: the file format read and refused line by line, and whole runs saved, played back, verified,
// altered, cut short and refused by the headless tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "headless.h"
#include "platform/keys.h"
#include "replay/replay_file.h"
#include "support/headless_tool.h"
#include "support/scratch_folder.h"
#include "support/trace.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

WorldCheck Values(std::int64_t funds) {
  WorldCheck values{};
  values[2] = funds;
  values[27] = 0x0a1b2c3d;
  return values;
}

// A small replay as the recorder writes it: Space at the fifth query of pass 3, a check every 2 passes,
// Esc in pass 5.
std::string SmallReplay() {
  return ReplayHeader("1.1.0", 42, 2) + KeyLine({3, 5, vk::Space, true}) + CheckLine(2, Values(3000)) +
         KeyLine({4, 0, vk::Space, false}) + CheckLine(4, Values(2990)) + KeyLine({5, 1, vk::Escape, true}) +
         EndLine({5, ReplayEndReason::Quit, Values(2990)});
}

TEST(ReplayFile, WrittenLinesReadBack) {
  std::string text = SmallReplay();
  // The check at pass 2 belongs before the key of pass 3: put the lines in the order of the run.
  const std::string check2 = CheckLine(2, Values(3000));
  text.erase(text.find(check2), check2.size());
  text.insert(text.find("p3.5"), check2);
  const Replay replay = ParseReplay(text);
  EXPECT_EQ(replay.gameVersion, "1.1.0");
  EXPECT_EQ(replay.seed, 42u);
  EXPECT_EQ(replay.checkEvery, 2u);
  ASSERT_EQ(replay.keys.size(), 3u);
  EXPECT_EQ(replay.keys[0].pass, 3u);
  EXPECT_EQ(replay.keys[0].query, 5u);
  EXPECT_TRUE(replay.keys[0].down);
  EXPECT_EQ(replay.keys[2].virtualKey, vk::Escape);
  ASSERT_EQ(replay.checks.size(), 2u);
  EXPECT_EQ(replay.checks[1].values, Values(2990));
  ASSERT_TRUE(replay.end.has_value());
  EXPECT_EQ(replay.end->pass, 5u);
  EXPECT_EQ(replay.end->reason, ReplayEndReason::Quit);
  EXPECT_NE(text.find("Units=0a1b2c3d"), std::string::npos);
}

TEST(ReplayFile, BadFilesAreRefusedWithTheLineAndTheFault) {
  const std::string head = ReplayHeader("1.1.0", 1, 30);
  const std::string check30 = CheckLine(30, Values(1));
  struct Case {
    std::string text;
    const char* fault;
  };
  const Case cases[] = {
      {"", "empty"},
      {"\x7f"
       "ELF\x02\x01\x01\n\x00\x00garbage",
       "not a Talvessa replay"},
      {"talvessa-replay 2\ngame 1\nseed 1\ncheck-every 30\n", "format version \"2\""},
      {"talvessa-replay 1\ngame 1.1.0\n", "header is incomplete"},
      {"talvessa-replay 1\ngame 1.1.0\nseed many\ncheck-every 30\n", "seed"},
      {"talvessa-replay 1\ngame 1.1.0\nseed 1\ncheck-every 0\n", "check-every"},
      {head + "p5 Space down\np4 Left down\n", "line 7: out of order"},
      {head + "p5.2 Space down\np5.2 Left down\n", "out of order"},
      {head + "p5 Tab down\n", "unknown key \"Tab\""},
      {head + "p5 Space down\np6 Space down\n", "already down"},
      {head + "p5 Space sideways\n", "expected"},
      {head + "p0 Space down\n", "bad pass"},
      {head + "p99999999999999999999999 Space down\n", "bad pass"},
      {head + "p5.x Space down\n", "bad key query"},
      {head + "p31 Space down\n", "no check line between"},
      {head + "p29 check Funds=1\n", "off the check-every beat"},
      {head + "p30 check Funds=1\n", "check fields"},
      {head + check30.substr(0, check30.find("Funds=")) + "Funds=lots" +
           check30.substr(check30.find(" ShotsYen")),
       "bad value for Funds"},
      {head + EndLine({7, ReplayEndReason::Quit, Values(1)}) + "p8 Space down\n", "after the end"},
      {head + EndLine({7, ReplayEndReason::Closed, Values(1)}), "does not agree with the window"},
      {head + "p7 close\np8 Space down\n", "after the window was closed"},
      {head + "p1 Space down #" + std::string(kLongestReplayLine - 14, '.') + "\n", "line 6: longer than"},
      {std::string(kLongestReplayLine + 1, '\x7f') + "\n", "line 1: not a Talvessa replay"},
      {"talvessa-replay 1\ngame 1.1.0\nseed \x1b[2J\ncheck-every 30\n", "not \"\\x1b[2J\""},
  };
  for (const Case& c : cases) {
    try {
      ParseReplay(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const BadReplay& bad) {
      EXPECT_NE(std::string(bad.what()).find(c.fault), std::string::npos) << bad.what();
      EXPECT_EQ(std::string(bad.what()).find('\n'), std::string::npos) << bad.what();
    }
  }
}

// Cut at any byte, a replay is either refused (in its header) or read as a recording cut short,
// without its end; only the whole file has its end.
TEST(ReplayFile, CutAtAnyByteIsRefusedOrCutShort) {
  std::string text = SmallReplay();
  const std::string check2 = CheckLine(2, Values(3000));
  text.erase(text.find(check2), check2.size());
  text.insert(text.find("p3.5"), check2);
  const std::size_t headerEnd = text.find('\n', text.find("check-every")) + 1;
  for (std::size_t size = 0; size < text.size(); ++size) {
    try {
      const Replay replay = ParseReplay(text.substr(0, size));
      EXPECT_GE(size, headerEnd) << size;
      EXPECT_FALSE(replay.end.has_value()) << size;
    } catch (const BadReplay&) {
      EXPECT_LT(size, headerEnd) << size;
    }
  }
  EXPECT_TRUE(ParseReplay(text).end.has_value());
}

// The longest line a recorder can write, and a line of the longest a reader takes, are read; the line
// cap itself is checked above (a line one byte longer).
TEST(ReplayFile, TheLongestLinesAreRead) {
  WorldCheck widest{};
  for (std::size_t i = 0; i < widest.size(); ++i)
    widest[i] = kCheckFields[i].kind == CheckKind::Value ? std::int64_t{INT32_MIN} : 0xffffffff;
  const std::string end = EndLine({kMostPasses, ReplayEndReason::Stopped, widest});
  EXPECT_EQ(end.size(), LongestWrittenLine() + 1);
  const Replay ended = ParseReplay(ReplayHeader("1.1.0", 1, 1) + EndLine({1, ReplayEndReason::Stopped, widest}));
  EXPECT_EQ(ended.end->values, widest);
  const std::string longest = "p1 Space down #" + std::string(kLongestReplayLine - 16, '.') + "\r\n";
  const Replay replay = ParseReplay(ReplayHeader("1.1.0", 1, 30) + longest + "p30.1000 Space up\n");
  ASSERT_EQ(replay.keys.size(), 2u);
  EXPECT_EQ(replay.keys[1].query, kMostQueries);
  EXPECT_EQ(replay.keys[1].pass, 30u);
  EXPECT_FALSE(replay.keys[1].down);
}

TEST(ReplayFile, AHugeFileIsRefusedUnread) {
  const testing::ScratchFolder dir("replay-huge");
  const fs::path huge = dir / "huge.txt";
  { std::ofstream(huge) << ReplayHeader("1.1.0", 1, 30); }
  fs::resize_file(huge, std::uint64_t{5} << 30);  // sparse: takes no room on the disk
  try {
    ReadReplayFile(huge.string());
    ADD_FAILURE() << "a 5 GiB replay was read";
  } catch (const BadReplay& bad) {
    EXPECT_NE(std::string(bad.what()).find("at most 64 MiB"), std::string::npos) << bad.what();
  }
  const std::string folder = dir.path().string() + "/";
  const fs::path fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& [path, why] : {std::pair{(dir / "missing.txt").string(), ": no such replay file"},
                                  std::pair{folder, "is a folder, not a replay file"},
                                  std::pair{fifo.string(), "a pipe, a device or a socket"}}) {
    try {
      ReadReplayFile(path);
      ADD_FAILURE() << path << " was read";
    } catch (const BadReplay& bad) {
      EXPECT_NE(std::string(bad.what()).find(why), std::string::npos) << bad.what();
    }
  }
}

TEST(KeyScript, LinesMayBeKeyedByPass) {
  const auto events = ParseKeyScript("p61 Space down\n4000 Space up\np900 close\n", "k.txt");
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].atPass, 61u);
  EXPECT_EQ(events[1].atPass, 0u);
  EXPECT_EQ(events[1].atMs, 4000u);
  EXPECT_EQ(events[2].kind, ScriptEvent::Kind::CloseWindow);
  EXPECT_EQ(events[2].atPass, 900u);
  EXPECT_THROW(ParseKeyScript("p0 Space down\n", "k.txt"), std::runtime_error);
  EXPECT_THROW(ParseKeyScript("pp Space down\n", "k.txt"), std::runtime_error);
}

std::vector<nlohmann::json> WithoutLastLine(std::vector<nlohmann::json> passes) {
  passes.pop_back();
  return passes;
}

// The autopilot's game saved as a replay plays back pass for pass: the same trace to the last pass.
// A world changed on purpose is caught at the first check after the change, named by its field; a
// copy cut in half plays up to where it stops; a file that cannot be written is said so in one line.
TEST(HeadlessReplay, SavedPlayedBackVerifiedAlteredAndCut) {
  const testing::ScratchFolder dir("replay-roundtrip");
  const std::string saved = (dir / "saved.txt").string();
  testing::ProcessResult out =
      testing::RunHeadless({"--seed", "7", "--autopilot", "--until-pass", "2400", "--save-replay", saved,
                            "--check-every", "10", "--trace", (dir / "played.jsonl").string()});
  ASSERT_EQ(out.status, 0) << out.output;
  const std::string text = testing::ReadText(saved);
  EXPECT_NE(text.find("p2400 end stopped GameState=0 "), std::string::npos);

  out = testing::RunHeadless({"--replay", saved, "--verify", "--trace", (dir / "replayed.jsonl").string()});
  ASSERT_EQ(out.status, 0) << out.output;
  EXPECT_EQ(WithoutLastLine(testing::ReadTrace(dir / "replayed.jsonl")),
            WithoutLastLine(testing::ReadTrace(dir / "played.jsonl")));

  out = testing::RunHeadless({"--replay", saved, "--verify", "--test-change-funds-at-pass", "1234"});
  EXPECT_EQ(out.status, 3) << out.output;
  EXPECT_NE(out.output.find("pass 1240: the world differs: Funds is"), std::string::npos) << out.output;
  EXPECT_NE(out.output.find("it matched at pass 1230"), std::string::npos) << out.output;

  const std::string half = dir.WriteText("half.txt", text.substr(0, text.size() / 2)).string();
  out = testing::RunHeadless({"--replay", half, "--verify"});
  EXPECT_EQ(out.status, 4) << out.output;
  EXPECT_NE(out.output.find("cut short: played up to pass"), std::string::npos) << out.output;

  out = testing::RunHeadless(
      {"--seed", "7", "--autopilot", "--until-pass", "300", "--save-replay", "/dev/full"});
  EXPECT_EQ(out.status, 1) << out.output;
  EXPECT_NE(out.output.find("recording to /dev/full stopped: No space left on device"), std::string::npos)
      << out.output;
}

// Runs ended by the window closing (at a time that falls in a frame's wait) and by Esc, each saved and
// verified: the replay ends as the run did, at the same pass.
TEST(HeadlessReplay, ClosingTheWindowAndEscPlayBackWhereTheyHappened) {
  const testing::ScratchFolder dir("replay-ends");
  const struct {
    const char* keys;
    const char* end;
  } runs[] = {{"p61 Space down\np70 Space up\n9017 close\n", " end closed "},
              {"p61 Space down\np70 Space up\n9017 Escape down\n", " end quit "}};
  for (const auto& run : runs) {
    const std::string saved = (dir / "saved.txt").string();
    testing::ProcessResult out = testing::RunHeadless(
        {"--seed", "3", "--keys", dir.WriteText("keys.txt", run.keys).string(), "--save-replay", saved});
    ASSERT_EQ(out.status, 0) << out.output;
    EXPECT_NE(testing::ReadText(saved).find(run.end), std::string::npos) << run.keys;
    out = testing::RunHeadless({"--replay", saved, "--verify"});
    EXPECT_EQ(out.status, 0) << run.keys << out.output;
  }
}

TEST(HeadlessReplay, BadReplaysAndOptionsEndWithOneLineAndAFailingStatus) {
  const testing::ScratchFolder dir("replay-bad");
  const std::string garbage = dir.WriteText("garbage.txt", "MZ\x90\x00 not a replay\n").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--replay", garbage},
           {"--replay", (dir / "missing.txt").string()},
           {"--replay", garbage, "--autopilot"},
           {"--verify"},
           {"--until-pass", "0"},
           {"--save-replay", (dir / "no" / "such" / "folder.txt").string()}}) {
    const testing::ProcessResult out = testing::RunHeadless(args);
    EXPECT_NE(out.status, 0) << args[0];
    EXPECT_NE(out.status, -1) << args[0];
    EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output;
  }
}

// A replay from another version of the game verifies with a warning, whose version is quoted, never
// raw.
TEST(HeadlessReplay, AnotherVersionVerifiesWithItsVersionQuoted) {
  const testing::ScratchFolder dir("replay-hostile");
  const std::string saved = (dir / "saved.txt").string();
  ASSERT_EQ(
      testing::RunHeadless({"--seed", "7", "--autopilot", "--until-pass", "300", "--save-replay", saved})
          .status,
      0);
  std::string text = testing::ReadText(saved);
  text.replace(text.find("game 1.1.0"), 10, "game 0.9\x1b[31m");
  const testing::ProcessResult out =
      testing::RunHeadless({"--replay", dir.WriteText("other.txt", text).string(), "--verify"});
  EXPECT_EQ(out.status, 0) << out.output;
  EXPECT_NE(out.output.find(" was recorded by version \"0.9\\x1b[31m\" of the game, this is "),
            std::string::npos)
      << out.output;
  EXPECT_EQ(std::count(out.output.begin(), out.output.end(), '\n'), 1) << out.output;
  EXPECT_EQ(out.output.find('\x1b'), std::string::npos) << out.output;
}

}  // namespace
}  // namespace talvessa
