// The generator of the sprite sheet, the logo and the icons, given faulty text sources: every fault is
// named by its file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "asset_files.h"
#include "make_assets/art_text.h"
#include "make_assets/pictures.h"
#include "support/scratch_folder.h"

namespace talvessa {
namespace {

using testing::kAssets;

// A copy of the art folder whose files a test may spoil.
class PicturesSourceErrors : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::copy(kAssets / "art", dir_); }
  // Replaces line `line` (1-based) of `file` with `text`, or drops it when `text` is null.
  void EditLine(const char* file, int line, const char* text) {
    std::ifstream in(dir_ / file);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    in.close();
    ASSERT_LE(line, static_cast<int>(lines.size()));
    if (text == nullptr) {
      lines.erase(lines.begin() + line - 1);
    } else {
      lines[line - 1] = text;
    }
    std::ofstream out(dir_ / file, std::ios::trunc);
    for (const std::string& l : lines) out << l << '\n';
  }
  std::string ErrorOf() {
    try {
      art::BuildPictures(dir_);
    } catch (const art::SourceError& e) {
      return e.what();
    }
    return "no error";
  }
  testing::ScratchFolder scratch_{"art"};
  const std::filesystem::path& dir_ = scratch_.path();
};

TEST_F(PicturesSourceErrors, NameTheFileAndLine) {
  // banknote.txt: one comment line, then 32 rows of 32 characters.
  EditLine("banknote.txt", 5, "...");
  EXPECT_NE(ErrorOf().find("banknote.txt:5: row is 3 characters wide"), std::string::npos) << ErrorOf();

  EditLine("banknote.txt", 5, "..............Q.................");
  EXPECT_NE(ErrorOf().find("banknote.txt:5: column 15: 'Q' is not in the palette"), std::string::npos)
      << ErrorOf();

  EditLine("banknote.txt", 5, nullptr);
  EXPECT_NE(ErrorOf().find("banknote.txt:33: only 31 rows"), std::string::npos) << ErrorOf();
}

TEST_F(PicturesSourceErrors, ExtraRowsSeeThroughGroundAndMissingFiles) {
  std::ofstream(dir_ / "flag.txt", std::ios::app) << std::string(32, '.') << '\n';
  EXPECT_NE(ErrorOf().find("flag.txt:34: more than 32 rows"), std::string::npos) << ErrorOf();
  std::filesystem::copy_file(kAssets / "art" / "flag.txt", dir_ / "flag.txt",
                             std::filesystem::copy_options::overwrite_existing);

  EditLine("ground.txt", 10, "O.OOOOOOOOOOOOOOOOOOOOOOOOOOOOOO");
  EXPECT_NE(ErrorOf().find("ground.txt:10: column 2: the ground tile is opaque"), std::string::npos)
      << ErrorOf();
  std::filesystem::remove(dir_ / "ground.txt");
  EXPECT_NE(ErrorOf().find("ground.txt: cannot be read"), std::string::npos) << ErrorOf();
}

TEST_F(PicturesSourceErrors, PaletteFaults) {
  // palette.txt: line 4 is the see-through '.', line 5 the opaque white 'W', line 54 the last colour.
  EditLine("palette.txt", 5, "W 255 255");
  EXPECT_NE(ErrorOf().find("palette.txt:5: expected"), std::string::npos) << ErrorOf();
  EditLine("palette.txt", 5, "q transparent");
  EXPECT_NE(ErrorOf().find("palette.txt:5: only one character may be transparent"), std::string::npos)
      << ErrorOf();
  EditLine("palette.txt", 5, "W 255 255 255");
  EditLine("palette.txt", 54, "k 1 2 3");
  EXPECT_NE(ErrorOf().find("palette.txt:54: 'k' is given twice"), std::string::npos) << ErrorOf();
  EditLine("palette.txt", 54, "d 128 0 0");
  EditLine("palette.txt", 4, "Z 1 2 3");
  EXPECT_NE(ErrorOf().find("palette.txt: no character is marked transparent"), std::string::npos)
      << ErrorOf();
}

TEST_F(PicturesSourceErrors, IconFaultsNameTheFileAndLine) {
  // Both icon files: two comment lines, then the rows of pixels.
  EditLine("icon32.txt", 7, "....");
  EXPECT_NE(ErrorOf().find("icon32.txt:7: row is 4 characters wide, the picture is 32"), std::string::npos)
      << ErrorOf();
  std::filesystem::copy_file(kAssets / "art" / "icon32.txt", dir_ / "icon32.txt",
                             std::filesystem::copy_options::overwrite_existing);

  EditLine("icon64.txt", 40, (std::string(63, '.') + "Q").c_str());
  EXPECT_NE(ErrorOf().find("icon64.txt:40: column 64: 'Q' is not in the palette"), std::string::npos)
      << ErrorOf();
  EditLine("icon64.txt", 40, nullptr);
  EXPECT_NE(ErrorOf().find("icon64.txt:66: only 63 rows"), std::string::npos) << ErrorOf();

  std::filesystem::remove(dir_ / "icon64.txt");
  EXPECT_NE(ErrorOf().find("icon64.txt: cannot be read"), std::string::npos) << ErrorOf();
}

}  // namespace
}  // namespace talvessa
