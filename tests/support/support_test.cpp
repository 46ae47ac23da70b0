// The test support itself: the process runner, scratch folders and the trace reader.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/process.h"
#include "support/scratch_folder.h"
#include "support/trace.h"

namespace talvessa::testing {
namespace {

using namespace std::chrono_literals;

TEST(RunProcess, HandsOverEveryArgumentAsItIs) {
  const ProcessResult run = RunProcess(
      "/bin/sh", {"-c", R"(printf '<%s>' "$@")", "sh", "a b", "it's", "\"q\" $HOME", "タルヴェッサ", ""});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "<a b><it's><\"q\" $HOME><タルヴェッサ><>");
}

TEST(RunProcess, GivesTheExitStatusAndBothStreamsInTheOrderWritten) {
  const ProcessResult run = RunProcess("/bin/sh", {"-c", "echo out; echo err >&2; echo again; exit 3"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.output, "out\nerr\nagain\n");
  EXPECT_FALSE(run.timedOut);
}

TEST(RunProcess, AProgramThatDoesNotStartOrEndByItselfHasNoStatus) {
  const ProcessResult missing = RunProcess("/nonexistent/program", {});
  EXPECT_EQ(missing.status, -1);
  EXPECT_NE(missing.output.find("cannot start /nonexistent/program"), std::string::npos) << missing.output;
  const ProcessResult killed = RunProcess("/bin/sh", {"-c", "kill -9 $$"});
  EXPECT_EQ(killed.status, -1);
  EXPECT_FALSE(killed.timedOut);
  const ProcessResult sleeper = RunProcess("/bin/sh", {"-c", "echo waiting; exec sleep 60"}, 200ms);
  EXPECT_EQ(sleeper.status, -1);
  EXPECT_TRUE(sleeper.timedOut);
  EXPECT_EQ(sleeper.output, "waiting\n");
}

TEST(ScratchFolder, IsFreshAndGoesWithItsContentsUnlessKept) {
  std::filesystem::path gone, kept;
  {
    ScratchFolder one("same"), other("same");
    EXPECT_NE(one.path(), other.path());
    EXPECT_TRUE(std::filesystem::is_empty(one.path()));
    EXPECT_EQ(ReadText(one.WriteText("a/b.txt", "text")), "text");
    gone = one.path();
    other.Keep();
    kept = other.path();
  }
  EXPECT_FALSE(std::filesystem::exists(gone));
  EXPECT_TRUE(std::filesystem::exists(kept));
  std::filesystem::remove_all(kept);
}

TEST(Trace, IsReadAsOneObjectALine) {
  const ScratchFolder dir;
  dir.WriteText("t.jsonl", R"({"loop":"logo","Shots":[[1,2]]})"
                           "\n"
                           R"({"loop":"logo"})"
                           "\n"
                           R"({"loop":"play","effects":["se0"]})"
                           "\n");
  const auto passes = ReadTrace(dir / "t.jsonl");
  ASSERT_EQ(passes.size(), 3u);
  EXPECT_EQ(passes[0]["Shots"][0][1], 2);
  EXPECT_EQ(LoopsInOrder(passes), (std::vector<std::string>{"logo", "play"}));

  dir.WriteText("bad.jsonl", "{\"loop\":\"logo\"}\n{\"loop\":\n");
  try {
    ReadTrace(dir / "bad.jsonl");
    ADD_FAILURE() << "a broken line was read";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("bad.jsonl:2: "), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace talvessa::testing
