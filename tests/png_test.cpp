// Window pictures as PNG files, as the headless tool writes them and the tests read them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "asset_files.h"
#include "png/png_file.h"
#include "support/scratch_folder.h"
#include "tool_io/tool_io.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

class WindowPng : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < picture_.rgb.size(); ++i)
      picture_.rgb[i] = static_cast<std::uint8_t>(i * 31 + 7);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }

  testing::ScratchFolder scratch_{"png"};
  const fs::path& dir_ = scratch_.path();
  WindowPicture picture_;
};

TEST_F(WindowPng, ReadsBackWhatItWrote) {
  SavePng(picture_, File("a.png"));
  WindowPicture back;
  ASSERT_TRUE(LoadPng(File("a.png"), back));
  EXPECT_TRUE(back.rgb == picture_.rgb);
  WindowPicture fromBytes;
  ASSERT_TRUE(DecodePng(testing::ReadFile(File("a.png")), fromBytes));
  EXPECT_TRUE(fromBytes.rgb == picture_.rgb);

  // A file with an alpha channel is read as its colours.
  std::vector<std::uint8_t> rgba;
  for (std::size_t i = 0; i < picture_.rgb.size(); i += 3) {
    rgba.insert(rgba.end(), {picture_.rgb[i], picture_.rgb[i + 1], picture_.rgb[i + 2], 255});
  }
  WriteFile(File("rgba.png"),
            EncodePng(WindowPicture::kWidth, WindowPicture::kHeight, PngPixels::kRgba, rgba));
  WindowPicture fromRgba;
  ASSERT_TRUE(LoadPng(File("rgba.png"), fromRgba));
  EXPECT_TRUE(fromRgba.rgb == picture_.rgb);
}

TEST_F(WindowPng, AWriteThatFailsIsReported) {
  EXPECT_THROW(SavePng(picture_, File("missing-folder/a.png")), std::runtime_error);
  EXPECT_THROW(SavePng(picture_, dir_.string()), std::runtime_error) << "a folder";
  // The file opens, but what is written does not fit on the device.
  EXPECT_THROW(SavePng(picture_, "/dev/full"), std::runtime_error);
}

TEST_F(WindowPng, MissingDamagedAndOtherSizedFilesAreRefusedAndLeaveThePicture) {
  SavePng(picture_, File("whole.png"));
  std::vector<std::uint8_t> cut = testing::ReadFile(File("whole.png"));
  cut.resize(cut.size() / 2);
  WriteFile(File("cut.png"), cut);
  const fs::path icon = testing::kAssets / "icons" / "talvessa-32.png";

  for (const std::string& file : {File("missing.png"), File("cut.png"), icon.string()}) {
    WindowPicture kept = picture_;
    EXPECT_FALSE(LoadPng(file, kept)) << file;
    EXPECT_TRUE(kept.rgb == picture_.rgb) << file;
    EXPECT_FALSE(DecodePng(testing::ReadFile(file), kept)) << file;
    EXPECT_TRUE(kept.rgb == picture_.rgb) << file;
  }
}

}  // namespace
}  // namespace talvessa
