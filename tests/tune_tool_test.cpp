// How the tune generator reports faults: a faulty note list by its line and what is wrong, and the
// command-line tool, which writes the committed file and stops at a fault without writing anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "asset_files.h"
#include "make_tune/note_list.h"
#include "support/process.h"
#include "support/scratch_folder.h"

namespace talvessa::tune {
namespace {

namespace fs = std::filesystem;

using testing::kTuneMidi;
using testing::kTuneNoteList;
using testing::ReadFile;

// ---- faults in a note list ----

constexpr char kValidTune[] = R"(tempo 132
part lead channel 1 program 81
part drums channel 10
bar 1
lead d5/4 f5 a5 d6_
drums r/4 snare kick snare
bar 2 like 1
)";

// kValidTune with line `line` replaced by `text`.
std::string WithLine(int line, const std::string& text) {
  std::string out;
  int number = 0;
  std::size_t at = 0;
  const std::string base = kValidTune;
  while (at < base.size()) {
    const std::size_t end = base.find('\n', at);
    out += (++number == line ? text : base.substr(at, end - at)) + "\n";
    at = end + 1;
  }
  return out;
}

TEST(NoteListErrors, NameTheLineAndWhatIsWrong) {
  ASSERT_NO_THROW(ParseNoteList(kValidTune, "bg1.tune"));
  struct Case {
    int line;
    const char* text;
    int reportedLine;
    const char* says;
  };
  const Case cases[] = {
      {1, "tempo fast", 1, "the tempo is a whole number"},
      {1, "; no tempo", 4, "before the tempo"},
      {2, "part lead channel 1", 2, "has no program"},
      {2, "part lead channel 17 program 81", 2, "a channel is a whole number from 1 to 16"},
      {2, "part lead channel 1 program 81 loud 3", 2, "'loud' is not one of"},
      {3, "part drums channel 10 program 1", 3, "takes no program"},
      {3, "part drums channel 1", 3, "already belongs to lead"},
      {4, "bar", 4, "expected 'bar <number>'"},
      {5, "lead d5/4 f5 a5", 5, "fills 3 beats of a 4-beat bar"},
      {5, "lead d5/4 f5 a5 d6 e6", 5, "runs past the bar line at 'e6'"},
      {5, "lead d5 f5/4 a5 d6_", 5, "'d5' needs a length"},
      {5, "lead h5/4 f5 a5 d6_", 5, "'h5' is not a pitch"},
      {5, "lead d5/3 f5 a5 d6_", 5, "'3' is not a length"},
      {5, "lead d5+d5/4 f5 a5 d6_", 5, "'d5' sounds twice in one chord"},
      {5, "lead ff >d5/4 f5 a5 d6_", 5, "past 127"},
      {5, "lead r/4 f5 a5 d6_", 4, "nothing starts on the first beat"},
      {5, "lead d5/4 f5 a5 d6", 7, "nothing sounds up to the last bar line"},
      {6, "drums r/4 snare c4 snare", 6, "'c4' is not a drum"},
      {6, "snare r/4 snare kick snare", 6, "'snare' is neither a part"},
      {7, "bar 3", 7, "bar 3 where bar 2 comes next"},
      {7, "bar 2 like 2", 7, "can only be like a bar before it"},
      {7, "lead d5/4 f5 a5 d6_", 7, "lead has a second line in this bar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("line ") + std::to_string(c.line) + " as '" + c.text + "'");
    try {
      ParseNoteList(WithLine(c.line, c.text), "bg1.tune");
      ADD_FAILURE() << "accepted";
    } catch (const NoteListError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("bg1.tune:" + std::to_string(c.reportedLine) + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
  }
}

// ---- the command-line tool ----

testing::ProcessResult MakeTune(const fs::path& noteList, const fs::path& midi) {
  return testing::RunProcess(TALVESSA_MAKE_TUNE, {noteList.string(), midi.string()});
}

class MakeTuneTool : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_{"make-tune"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(MakeTuneTool, WritesTheCommittedFileAndSaysHowLongItPlays) {
  const testing::ProcessResult run = MakeTune(kTuneNoteList, dir_ / "bg1.mid");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(ReadFile(dir_ / "bg1.mid") == ReadFile(kTuneMidi));
  EXPECT_NE(run.output.find(" s, "), std::string::npos) << run.output;
}

TEST_F(MakeTuneTool, StopsAtAFaultyLineAndWritesNothing) {
  std::ofstream(dir_ / "bad.tune") << WithLine(5, "lead d5/4 f5 a5");
  const testing::ProcessResult run = MakeTune(dir_ / "bad.tune", dir_ / "bad.mid");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind((dir_ / "bad.tune").string() + ":5: ", 0), 0u) << run.output;
  EXPECT_FALSE(fs::exists(dir_ / "bad.mid"));
}

}  // namespace
}  // namespace talvessa::tune
