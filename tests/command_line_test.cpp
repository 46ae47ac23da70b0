// The game's command line: what each option sets, and the one-line refusals.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvessa {
namespace {

TEST(GameCommandLine, OptionsSetWhatTheyName) {
  EXPECT_EQ(ParseGameArguments({}).fullscreen, std::nullopt);
  const GameOptions all = ParseGameArguments({"--fullscreen", "--scale", "3", "--mute", "--volume", "0",
                                              "--pause-when-unfocused", "--record", "a game.replay"});
  EXPECT_EQ(all.fullscreen, true);
  EXPECT_EQ(all.scale, 3);
  EXPECT_TRUE(all.mute);
  EXPECT_EQ(all.volume, 0);
  EXPECT_TRUE(all.pauseWhenUnfocused);
  EXPECT_EQ(all.recordFile, "a game.replay");
  EXPECT_EQ(ParseGameArguments({"--window", "--window"}).fullscreen, false);
  EXPECT_EQ(ParseGameArguments({"--volume", "10", "--scale", "8"}).volume, kFullVolume);
  EXPECT_EQ(ParseGameArguments({"--replay", "r"}).replayFile, "r");
  EXPECT_TRUE(ParseGameArguments({"-h"}).help);
  EXPECT_TRUE(ParseGameArguments({"--version"}).version);
  EXPECT_EQ(ParseGameArguments({"--data", "/opt/talvessa"}).dataFolder, "/opt/talvessa");
}

TEST(GameCommandLine, TakesEveryValueAfterAnEqualsSignToo) {
  const GameOptions all = ParseGameArguments(
      {"--scale=3", "--volume=0", "--record=a=b.replay", "--data=/opt/my data"});
  EXPECT_EQ(all.scale, 3);
  EXPECT_EQ(all.volume, 0);
  EXPECT_EQ(all.recordFile, "a=b.replay");
  EXPECT_EQ(all.dataFolder, "/opt/my data");
  EXPECT_EQ(ParseGameArguments({"--replay=r"}).replayFile, "r");
}

TEST(GameCommandLine, RefusesWithOneLineNamingTheFault) {
  const std::string longWord(5000, '9');
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--fly"}, "unknown option: \"--fly\""},
      {{"fullscreen"}, "unknown option: \"fullscreen\""},
      {{"--\x1b]0;owned\a"}, "unknown option: \"--\\x1b]0;owned\\x07\""},
      {{"--scale"}, "--scale expects a value"},
      {{"--scale", "0"}, "--scale expects a whole number from 1 to 8, not \"0\""},
      {{"--scale", "9"}, "--scale expects a whole number from 1 to 8, not \"9\""},
      {{"--scale", "2x"}, "--scale expects a whole number from 1 to 8, not \"2x\""},
      {{"--volume", "-1"}, "--volume expects a whole number from 0 to 10, not \"-1\""},
      {{"--volume", longWord},
       "--volume expects a whole number from 0 to 10, not \"" + longWord.substr(0, 40) + "\"..."},
      {{"--scale", "1\n2"}, "--scale expects a whole number from 1 to 8, not \"1\\n2\""},
      {{"--record", ""}, "--record expects a file name"},
      {{"--fullscreen", "--window"}, "--fullscreen and --window cannot be combined"},
      {{"--record", "a", "--replay", "b"}, "--record and --replay cannot be combined"},
      {{"--scale="}, "--scale expects a whole number from 1 to 8, not \"\""},
      {{"--scale=9"}, "--scale expects a whole number from 1 to 8, not \"9\""},
      {{"--record="}, "--record expects a file name"},
      {{"--mute=yes"}, "--mute takes no value"},
      {{"--help=1"}, "--help takes no value"},
      {{"--fly=3"}, "unknown option: \"--fly\""},
      {{"-h=1"}, "unknown option: \"-h=1\""},
  };
  for (const auto& [args, message] : cases) {
    try {
      ParseGameArguments(args);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const BadCommandLine& bad) {
      EXPECT_EQ(bad.what(), message);
    }
  }
}

TEST(GameCommandLine, HelpNamesEveryOptionAndTheVersionItsNumber) {
  for (const char* option : {"--fullscreen", "--window", "--scale", "--mute", "--volume",
                             "--pause-when-unfocused", "--record", "--replay", "--data", "--help", "--version"}) {
    EXPECT_NE(GameUsage().find(option), std::string::npos) << option;
  }
  EXPECT_EQ(GameVersion().rfind("talvessa ", 0), 0u);
}

}  // namespace
}  // namespace talvessa
