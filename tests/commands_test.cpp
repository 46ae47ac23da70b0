#include <gtest/gtest.h>

#include "block_glyphs.h"
#include "harness.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::Harness;

// The surfaces as the logo screen leaves them: black, 512 x 384 inside the 32-pixel border.
void AsAfterTheLogo(Displays& display) {
  for (Surface& surface : display) {
    surface.BackColor = kBlack;
    SetGeometry(surface, 512, 384, 32, 32);
  }
}

class Commands : public ::testing::Test {
 protected:
  Commands() {
    w().GameState = GameState::Playing;
    w().Shots[0] = Shot{};  // no attract banknote in flight
    r().FrameCount = 1;
  }
  World& w() { return h.world(); }
  RunState& r() { return h.run(); }
  // One poll and its command, as a frame of play does.
  void Frame() {
    PollKeys(h.game);
    HandleCommand(h.game);
  }
  int ShotsInFlight() {
    int n = 0;
    for (const Shot& s : w().Shots) n += s.Active;
    return n;
  }
  Harness h;
};

TEST_F(Commands, KeysAreTestedInPriorityOrder) {
  struct Case {
    std::vector<int> held;
    std::int16_t command;
  } cases[] = {
      {{vk::Enter, vk::Space, vk::Right}, command::Pause},
      {{vk::Left, vk::Right}, command::StepRight},
      {{vk::Left, vk::X}, command::StepLeft},
      {{vk::Z, vk::X}, command::StepLeft},
      {{vk::X, vk::Space}, command::StepRight},
      {{vk::Space, vk::V}, command::Throw},
      {{vk::B, vk::N}, command::Throw},
      {{vk::N, vk::Period}, command::Van},
      {{vk::V}, command::Van},
      {{vk::Comma}, command::Van},
      {{vk::Period, vk::Slash}, command::Throw},
      {{vk::Slash}, command::Van},
      {{vk::Escape}, command::None},
      {{}, command::None},
  };
  for (const Case& c : cases) {
    for (int key : c.held) h.Hold(key);
    h.game.LastKey = 0;
    PollKeys(h.game);
    EXPECT_EQ(r().Command, c.command) << "first held key " << (c.held.empty() ? 0 : c.held[0]);
    EXPECT_EQ(h.game.LastKey, c.command);
    for (int key : c.held) h.Release(key);
  }
}

TEST_F(Commands, HoldingSpaceThrowsOneNoteAndPressingAgainThrowsTheNext) {
  h.Hold(vk::Space);
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(ShotsInFlight(), 1);
  h.Release(vk::Space);
  Frame();
  h.Hold(vk::Space);
  Frame();
  EXPECT_EQ(ShotsInFlight(), 2);
}

TEST_F(Commands, SpaceThenBWithoutAPollInBetweenIsOnePress) {
  h.Hold(vk::Space);
  Frame();
  h.Release(vk::Space);
  h.Hold(vk::B);
  Frame();
  h.Release(vk::B);
  h.Hold(vk::Period);
  Frame();
  EXPECT_EQ(ShotsInFlight(), 1);
}

TEST_F(Commands, AnArrowSeenBetweenTwoSpacePollsMakesTheHeldSpaceANewPress) {
  h.Hold(vk::Space);
  Frame();
  h.Hold(vk::Right);
  Frame();
  EXPECT_EQ(h.game.LastKey, command::StepRight);
  h.Release(vk::Right);
  Frame();
  EXPECT_EQ(ShotsInFlight(), 2);
}

TEST_F(Commands, EnterHidesSpaceUntilReleasedThenSpaceCountsAsNew) {
  h.Hold(vk::Space);
  h.Hold(vk::Enter);
  Frame();
  EXPECT_EQ(w().PauseRequest, 13);
  EXPECT_EQ(ShotsInFlight(), 0);
  w().PauseRequest = 0;  // as if the pause had come and gone
  Frame();               // Enter still held: nothing new
  EXPECT_EQ(w().PauseRequest, 0);
  h.Release(vk::Enter);
  Frame();
  EXPECT_EQ(ShotsInFlight(), 1);
}

TEST_F(Commands, ThrowingANoteCostsTenAndNeedsAFreeRecordAmongTheFirstEight) {
  w().Funds = 9;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(ShotsInFlight(), 0);
  EXPECT_EQ(r().Command, 0);

  w().Funds = 10;
  w().PlayerX = 96;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(w().Funds, 0);
  EXPECT_EQ(w().ShotsYen, 1000);
  const Shot& shot = w().Shots[0];
  EXPECT_EQ(shot.Active, 1);
  EXPECT_EQ(shot.X, 96);
  EXPECT_EQ(shot.Y, 336);
  EXPECT_EQ(shot.Value, 1000);
  EXPECT_EQ(h.platform.audio.TakeEffects(), std::vector<std::string>{"se0"});

  w().Funds = 1000;
  for (int k = 0; k < 8; ++k) w().Shots[k].Active = 1;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(ShotsInFlight(), 8);
  EXPECT_EQ(w().Funds, 1000);
  EXPECT_TRUE(h.platform.audio.TakeEffects().empty());
}

TEST_F(Commands, TheVanNeedsAHundredNoVanRunningAndAFreeRecordAmongTheFirstSix) {
  w().Funds = 99;
  r().Command = command::Van;
  HandleCommand(h.game);
  EXPECT_EQ(w().VanTimer, 0);

  w().Funds = 100;
  w().Shots[0].Active = 1;
  r().Command = command::Van;
  HandleCommand(h.game);
  EXPECT_EQ(w().VanTimer, 1);
  EXPECT_EQ(w().Funds, 0);
  EXPECT_EQ(w().ShotsYen, 10000);
  EXPECT_EQ(w().Shots[1].Active, 1);
  EXPECT_EQ(w().Shots[1].Value, 10000);
  EXPECT_EQ(w().Shots[1].Y, 336);
  EXPECT_EQ(h.platform.audio.TakeEffects(), std::vector<std::string>{"se7"});

  w().Funds = 500;
  r().Command = command::Van;
  HandleCommand(h.game);  // the van is still running
  EXPECT_EQ(w().Funds, 500);

  w().VanTimer = 0;
  for (int k = 0; k < 6; ++k) w().Shots[k].Active = 1;
  r().Command = command::Van;
  HandleCommand(h.game);
  EXPECT_EQ(w().VanTimer, 0);
  EXPECT_EQ(w().Shots[6].Active, 0);

  w().GameState = GameState::Attract;
  for (Shot& s : w().Shots) s.Active = 0;
  r().Command = command::Van;
  HandleCommand(h.game);
  EXPECT_EQ(w().VanTimer, 0);
}

TEST_F(Commands, TheMoneyThrownSaturatesInsteadOfWrapping) {
  w().ShotsYen = 2147483000;
  r().Command = command::Van;
  HandleCommand(h.game);
  EXPECT_EQ(w().ShotsYen, 2147483647);
}

TEST_F(Commands, StepsActOnlyBetweenWorldStepsAndOncePerStep) {
  r().FrameCount = 2;  // even: the command waits
  r().Command = command::StepLeft;
  HandleCommand(h.game);
  EXPECT_EQ(w().PlayerX, 256);
  EXPECT_EQ(r().Command, command::StepLeft);

  r().FrameCount = 3;
  HandleCommand(h.game);
  EXPECT_EQ(w().PlayerX, 224);
  EXPECT_EQ(w().KeyLatch, 1);
  EXPECT_EQ(r().Command, 0);

  r().Command = command::StepRight;  // latched until the next world step
  HandleCommand(h.game);
  EXPECT_EQ(w().PlayerX, 224);
  EXPECT_EQ(r().Command, 0);
}

TEST_F(Commands, TheFlagStaysOnTheSixteenColumns) {
  for (auto [start, command, expected] : {std::tuple{0, command::StepLeft, 0},
                                          {32, command::StepLeft, 0},
                                          {480, command::StepRight, 480},
                                          {448, command::StepRight, 480}}) {
    w().PlayerX = static_cast<std::int16_t>(start);
    w().KeyLatch = 0;
    r().Command = command;
    HandleCommand(h.game);
    EXPECT_EQ(w().PlayerX, expected) << "from " << start;
  }
}

TEST_F(Commands, WhilePausedOnlyEnterActs) {
  w().GameState = GameState::Paused;
  w().PauseRequest = 13;
  w().Funds = 1000;
  for (std::int16_t command : {command::Throw, command::Van, command::StepLeft, command::StepRight}) {
    r().Command = command;
    HandleCommand(h.game);
  }
  EXPECT_EQ(ShotsInFlight(), 0);
  EXPECT_EQ(w().PlayerX, 256);
  EXPECT_EQ(w().VanTimer, 0);
  r().Command = command::Pause;
  HandleCommand(h.game);
  EXPECT_EQ(w().GameState, GameState::Playing);
  EXPECT_EQ(w().PauseRequest, 0);
}

TEST_F(Commands, SpaceOnTheGameOverScreenRestartsFromItsHundredthFrame) {
  w().GameState = GameState::GameOver;
  r().EndCounter = 99;
  w().Funds = 17;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(w().GameState, GameState::GameOver);

  FillRect(h.game.Display[2], 0, 0, 10, 10, Rgb(9, 9, 9));
  h.game.Display[2].BackColor = kBlack;
  r().EndCounter = 100;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(w().GameState, GameState::Attract);
  EXPECT_EQ(w().Funds, 3000);
  EXPECT_EQ(r().EndCounter, 0);
  EXPECT_EQ(PixelAt(h.game.Display[2], 5, 5), kBlack);
}

TEST_F(Commands, SpaceOnTheEndingCountsOnlyAtExactlyTheHundredthFrame) {
  for (std::int16_t counter : {99, 101}) {
    w().GameState = GameState::TerroristsLeft;
    r().EndCounter = counter;
    r().Command = command::Throw;
    HandleCommand(h.game);
    EXPECT_EQ(w().GameState, GameState::TerroristsLeft) << counter;
  }
  r().EndCounter = 100;
  r().Command = command::Throw;
  HandleCommand(h.game);
  EXPECT_EQ(w().GameState, GameState::Attract);
}

TEST_F(Commands, SpaceOnTheAttractSequenceBuildsTheFieldAndStartsPlay) {
  ResetWorld(w(), r());
  w().GameState = GameState::Attract;
  AsAfterTheLogo(h.game.Display);
  const std::uint64_t before = h.platform.clock.ElapsedUs();
  r().Command = command::Throw;
  HandleCommand(h.game);

  EXPECT_EQ(w().GameState, GameState::Playing);
  EXPECT_EQ(r().FramePeriod, 33);
  EXPECT_EQ(r().Command, 0);
  EXPECT_EQ(w().Shots[0].X, 0);
  EXPECT_EQ(w().Shots[0].Y, 0);
  EXPECT_EQ(w().Shots[0].Active, 1);
  EXPECT_EQ(h.game.Display[1].FontName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(h.game.Display[2].FontName, "ＭＳ Ｐゴシック");
  EXPECT_GT(h.platform.clock.ElapsedUs() - before, 100'000u);
  EXPECT_EQ(h.platform.audio.TakeEffects(), std::vector<std::string>{"se2"});
  EXPECT_EQ(h.platform.audio.TakeMusicCommands(), (std::vector<std::string>{"open bg1.mid", "play"}));
  // The first picture of the game is on screen: the ground with its dots.
  EXPECT_EQ(PixelAt(h.game.Display[0], 10, 10), Rgb(128, 128, 64));
  EXPECT_EQ(PixelAt(h.game.Display[0], 32, 32), Rgb(189, 192, 34));
  EXPECT_EQ(h.game.sound.MusicPath(), h.game.AppFolder + "da/bg1.mid");
}

TEST(StartOfPlay, TheFirstPictureShowsTheGroundTheFlagAndTheFunds) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  World& w = h.world();
  w.GameState = GameState::Attract;
  AsAfterTheLogo(h.game.Display);
  h.run().Command = command::Throw;
  HandleCommand(h.game);
  const Surface& shown = h.game.Display[0];
  // 3000 has four digits: the white figure starts 20 pixels left of 247, its shadow one up and left.
  EXPECT_EQ(PixelAt(shown, 227, 4), kWhite);
  EXPECT_EQ(PixelAt(shown, 226, 3), kBlack);
  EXPECT_EQ(glyphs.requests.at(0).face, "ＭＳ Ｐゴシック");
  EXPECT_EQ(glyphs.requests.at(0).text, " 3000 ");
  // The flag at (256, 352) covers some of the ground.
  int flag = 0;
  for (int y = 352; y < 384; ++y) {
    for (int x = 256; x < 288; ++x) flag += PixelAt(shown, x, y) != PixelAt(h.game.Display[2], x, y);
  }
  EXPECT_GT(flag, 50);
}

}  // namespace
}  // namespace talvessa
