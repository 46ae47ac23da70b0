// Where the game finds its data folder and its General MIDI bank, in a build tree, a portable copy and an
// installed tree alike.
#include <gtest/gtest.h>

#include <string>

#include "platform/sdl/data_folder.h"
#include "platform/sdl/rendered_tune.h"
#include "support/scratch_folder.h"

namespace talvessa {
namespace {

using testing::ScratchFolder;

TEST(DataFolder, TheProgramsOwnFolderFirstThenTheInstalledOneThenWhatThePlayerNames) {
  const ScratchFolder scratch("data_folder");
  const std::string root = scratch.path().string();
  scratch.WriteText("portable/da/se0.wav", "a");
  scratch.WriteText("usr/share/games/talvessa/da/se0.wav", "b");
  scratch.WriteText("usr/games/.keep", "");
  scratch.WriteText("mine/da/se0.wav", "c");
  scratch.WriteText("empty/.keep", "");
  const struct {
    std::string program, asked;
    std::optional<std::string> found;
  } cases[] = {
      {root + "/portable/", "", root + "/portable/"},
      {root + "/usr/games/", "", root + "/usr/share/games/talvessa/"},
      {root + "/usr/games", "", root + "/usr/share/games/talvessa/"},
      {root + "/empty/", "", root + "/empty/"},  // nothing anywhere: the game plays without its sounds
      {root + "/usr/games/", root + "/mine", root + "/mine/"},
      {root + "/portable/", root + "/empty", std::nullopt},  // named, but without da/
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DataFolder(c.program, c.asked), c.found) << c.program << " asked " << c.asked;
  }
}

TEST(SoundFontPath, TheListedBanksFirstThenTheStandardOnes) {
  const ScratchFolder scratch("soundfont_path");
  const std::string bank = scratch.WriteText("my bank.sf2", "RIFF").string();
  const std::string missing = (scratch.path() / "missing.sf2").string();
  const std::string folder = scratch.path().string();
  // Debian's bank, which scripts/setup installs.
  const std::string debian = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  EXPECT_EQ(SoundFontPath(nullptr), debian);
  const struct {
    std::string listed, found;
  } cases[] = {
      {"", debian},
      {bank, bank},
      {missing + ";" + bank, bank},
      {missing + ":" + bank + ";", bank},
      {";;" + folder, debian},  // a folder is no bank
      {missing, debian},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SoundFontPath(c.listed.c_str()), c.found) << c.listed;
  }
}

}  // namespace
}  // namespace talvessa
