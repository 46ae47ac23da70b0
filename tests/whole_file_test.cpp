// Files written whole or not at all, and the failures of writing them.
#include "tool_io/whole_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "tool_io/tool_io.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

const std::vector<std::uint8_t> kBytes(100000, 'x');

TEST(WholeFile, ReplacesAFileOnlyOnceItIsWrittenWhole) {
  const testing::ScratchFolder dir("whole-file");
  const fs::path file = dir.WriteText("f.txt", "old");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    WholeFile out(file);
    out.Write(std::string_view("new "));
    out.Write(std::string_view("text"));
    EXPECT_EQ(testing::ReadText(file), "old") << "replaced before it was whole";
    out.Finish();
  }
  EXPECT_EQ(testing::ReadText(file), "new text");
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    WholeFile abandoned(file);
    abandoned.Write(std::string_view("never finished"));
  }
  EXPECT_EQ(testing::ReadText(file), "new text");

  // Through a link the file it leads to is replaced, and the link stays.
  fs::create_symlink("f.txt", dir / "link");
  WriteFile(dir / "link", std::vector<std::uint8_t>{'l', 'i', 'n', 'k'});
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(testing::ReadText(file), "link");
  WriteFile(dir / "new.bin", kBytes);
  EXPECT_EQ(fs::file_size(dir / "new.bin"), kBytes.size());
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"f.txt", "link", "new.bin"})) << "a temporary was left";
}

TEST(WholeFile, AFailureIsOneLineNamingTheFileAndLeavesWhatWasThere) {
  const testing::ScratchFolder dir("whole-file-fails");
  const fs::path kept = dir.WriteText("kept.txt", "kept");
  // Files may grow to 1000 bytes only; a write beyond fails (instead of ending the process).
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{1000, limit.rlim_max};

  for (const auto& [path, reason] :
       std::vector<std::pair<fs::path, std::string>>{{dir / "missing/a.bin", "No such file or directory"},
                                                     {dir.path(), "a folder, not a file"},
                                                     {"/dev/full", "No space left on device"},
                                                     {kept, "File too large"}}) {
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
      WriteFile(path, kBytes);
      ADD_FAILURE() << "written: " << path;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), "cannot write " + path.string() + ": " + reason);
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  EXPECT_EQ(testing::ReadText(kept), "kept");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"kept.txt"}) << "a partial file was left";

  // A device is written in place, not replaced by a file.
  WriteFile("/dev/null", kBytes);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace talvessa
