#include <gtest/gtest.h>

#include <utility>

#include "block_glyphs.h"
#include "harness.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::Close;
using testing::Down;
using testing::Harness;
using testing::PassLog;
using testing::Up;

std::vector<ScriptEvent> Tap(std::uint64_t ms, int key) { return {Down(ms, key), Up(ms + 150, key)}; }

std::vector<ScriptEvent> Join(std::initializer_list<std::vector<ScriptEvent>> parts) {
  std::vector<ScriptEvent> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Space skips the logo at once; a second Space starts play.
std::vector<ScriptEvent> IntoPlay() { return Join({Tap(100, vk::Space), Tap(600, vk::Space)}); }

struct GameRun {
  explicit GameRun(std::vector<ScriptEvent> script, std::uint64_t untilMs = 60000) {
    HeadlessPlatform::Options options;
    options.script = std::move(script);
    options.untilMs = untilMs;
    platform.emplace(std::move(options));
    game.emplace(platform->Services());
    game->observer = &log;
  }
  // The whole program: start-up, reset and the game-state loop. Returns how it ended.
  const char* Start() {
    try {
      SetUpForm(*game);
      RunGameStates(*game);
      return "quit";
    } catch (const WindowClosed&) {
      return "closed";
    } catch (const HeadlessTimeUp&) {
      return "time";
    }
  }
  World& world() { return game->world; }
  RunState& run() { return game->run; }
  std::optional<HeadlessPlatform> platform;
  std::optional<Game> game;
  PassLog log;
};

TEST(LogoScreen, EndsAtItsFiftiethFrameAndLeavesTheFieldSurfaces) {
  GameRun run({}, 3000);
  EXPECT_STREQ(run.Start(), "time");
  EXPECT_EQ(run.world().GameState, GameState::Logo);
  for (const Surface& display : run.game->Display) {
    EXPECT_EQ(display.Width, 576);
    EXPECT_EQ(display.Height, 448);
    EXPECT_EQ(display.Left, 0);
    EXPECT_EQ(display.BackColor, kWhite);
  }

  GameRun full({}, 4000);
  EXPECT_STREQ(full.Start(), "time");
  EXPECT_EQ(full.log.Count(Loop::Logo), 50u);
  EXPECT_EQ(full.world().GameState, GameState::Attract);
  EXPECT_EQ(full.run().TitleCounter, 50);
  for (const Surface& display : full.game->Display) {
    EXPECT_EQ(display.Width, 512);
    EXPECT_EQ(display.Height, 384);
    EXPECT_EQ(display.Left, 32);
    EXPECT_EQ(display.Top, 32);
  }
  EXPECT_EQ(full.game->Display[1].BackColor, kBlack);
  EXPECT_EQ(full.game->Display[2].BackColor, kBlack);
  // The window shows the field inside a black border of 32 pixels.
  const WindowPicture& picture = full.platform->screen.LastPicture();
  for (int y = 0; y < WindowPicture::kHeight; ++y) {
    for (int x = 0; x < WindowPicture::kWidth; ++x) {
      if (x >= 32 && x < 544 && y >= 32 && y < 416) continue;
      const auto at = static_cast<std::size_t>((y * WindowPicture::kWidth + x) * 3);
      ASSERT_EQ(picture.rgb[at] | picture.rgb[at + 1] | picture.rgb[at + 2], 0) << x << "," << y;
    }
  }
}

TEST(LogoScreen, SpaceSkipsItWithoutAlsoStartingPlay) {
  // Space held from the very start and for a second: the logo ends in its first frame, and the
  // attract sequence does not take the same press as a start.
  GameRun run(Join({{Down(0, vk::Space), Up(1000, vk::Space)}, Tap(1500, vk::Space)}), 1400);
  EXPECT_STREQ(run.Start(), "time");
  EXPECT_EQ(run.log.Count(Loop::Logo), 1u);
  EXPECT_EQ(run.world().GameState, GameState::Attract);

  GameRun again(Join({{Down(0, vk::Space), Up(1000, vk::Space)}, Tap(1500, vk::Space)}), 2500);
  EXPECT_STREQ(again.Start(), "time");
  EXPECT_EQ(again.world().GameState, GameState::Playing);
}

struct EscCase {
  const char* name;
  std::vector<ScriptEvent> script;
  GameState startAt;  // Logo for a whole run; GameOver or TerroristsLeft to start on that screen
  Loop lastLoop;
};

void PrintTo(const EscCase& c, std::ostream* os) { *os << c.name; }

class EscEndsTheRun : public ::testing::TestWithParam<EscCase> {};

TEST_P(EscEndsTheRun, WithTheMusicStoppedAndClosedFirst) {
  const EscCase& c = GetParam();
  GameRun run(c.script);
  const char* ending;
  if (c.startAt == GameState::Logo) {
    ending = run.Start();
  } else {
    SetUpForm(*run.game);
    ResetWorld(run.world(), run.run());
    run.world().GameState = c.startAt;
    RunGameStates(*run.game);
    ending = "quit";
  }
  EXPECT_STREQ(ending, "quit");
  EXPECT_EQ(run.world().GameState, GameState::Quit);
  ASSERT_FALSE(run.log.entries.empty());
  EXPECT_EQ(run.log.entries.back().loop, c.lastLoop);
  const std::vector<std::string> music = run.platform->audio.TakeMusicCommands();
  ASSERT_GE(music.size(), 2u);
  EXPECT_EQ(music[music.size() - 2], "stop");
  EXPECT_EQ(music.back(), "close");
}

INSTANTIATE_TEST_SUITE_P(
    EveryLoop, EscEndsTheRun,
    ::testing::Values(EscCase{"logo", {Down(500, vk::Escape)}, GameState::Logo, Loop::Logo},
                      EscCase{"attract", Join({Tap(100, vk::Space), {Down(1000, vk::Escape)}}),
                              GameState::Logo, Loop::Attract},
                      EscCase{"play", Join({IntoPlay(), {Down(2000, vk::Escape)}}), GameState::Logo,
                              Loop::Play},
                      EscCase{"pause", Join({IntoPlay(), Tap(2000, vk::Enter), {Down(3000, vk::Escape)}}),
                              GameState::Logo, Loop::Pause},
                      EscCase{"game_over", {Down(500, vk::Escape)}, GameState::GameOver, Loop::GameOver},
                      EscCase{"ending", {Down(500, vk::Escape)}, GameState::TerroristsLeft, Loop::Ending}),
    [](const ::testing::TestParamInfo<EscCase>& info) { return std::string(info.param.name); });

TEST(Pause, EnterPausesAfterACompleteFrameAndHoldsThePicture) {
  GameRun run(Join({IntoPlay(),
                    {Down(2000, vk::Enter), Down(2100, vk::Space), Down(2100, vk::Left), Down(2100, vk::V),
                     Up(2400, vk::Enter)}}),
              3000);
  EXPECT_STREQ(run.Start(), "time");
  EXPECT_EQ(run.world().GameState, GameState::Paused);
  EXPECT_EQ(run.world().PauseRequest, 13);
  // Nothing acts while paused.
  EXPECT_EQ(run.world().PlayerX, 256);
  EXPECT_EQ(run.world().VanTimer, 0);
  EXPECT_EQ(run.world().ShotsYen, 0);

  const auto& entries = run.log.entries;
  const auto firstPause = std::find_if(entries.begin(), entries.end(),
                                       [](const PassLog::Entry& e) { return e.loop == Loop::Pause; });
  ASSERT_NE(firstPause, entries.end());
  ASSERT_NE(firstPause, entries.begin());
  const auto lastPlay = std::prev(firstPause);
  EXPECT_EQ(lastPlay->state, GameState::Paused);
  // The pause neither redraws the window again and again nor spins: it rests about 10 ms a pass.
  EXPECT_EQ(entries.back().presents, firstPause->presents);
  const auto passes = static_cast<std::size_t>(std::distance(firstPause, entries.end()));
  EXPECT_GT(passes, 60u);
  EXPECT_LT(passes, 200u);
}

// Paused, over black surfaces the size of the field at its place.
void PauseOverBlack(Harness& h) {
  for (Surface& display : h.game.Display) {
    display.BackColor = kBlack;
    SetGeometry(display, 512, 384, 32, 32);
    Clear(display);
  }
  h.world().GameState = GameState::Paused;
}

TEST(Pause, TheWordShowsWhiteWithItsShadowAndReprintingChangesNothing) {
  BlockGlyphs glyphs;
  Harness h({}, &glyphs);
  PauseOverBlack(h);
  testing::PausePass(h.game);
  const Surface& shown = h.game.Display[0];
  EXPECT_EQ(PixelAt(shown, 230, 184), kWhite);
  EXPECT_EQ(PixelAt(shown, 229, 183), kBlack);
  EXPECT_EQ(glyphs.requests.at(0).text, "PAUSE");
  EXPECT_EQ(glyphs.requests.at(0).points, 12);
  EXPECT_TRUE(glyphs.requests.at(0).bold);
  const std::vector<std::uint8_t> once = shown.pixels;
  const std::uint64_t presents = h.platform.screen.PresentCount();
  for (int n = 0; n < 5; ++n) testing::PausePass(h.game);
  EXPECT_EQ(shown.pixels, once);
  EXPECT_EQ(h.platform.screen.PresentCount(), presents);
}

// Once shown, the word is not drawn again until something else draws; then the next pass shows it over
// the new picture of play, or puts it back over a visible surface drawn on.
TEST(Pause, AfterAnyOtherDrawingTheNextPassShowsTheWordAgain) {
  const Colour kBlue = Rgb(0, 0, 255);
  for (const auto& [drawnOn, besideTheWord] : {std::pair{kComposition, kBlue}, std::pair{kVisible, kBlack}}) {
    BlockGlyphs glyphs;
    Harness h({}, &glyphs);
    PauseOverBlack(h);
    testing::PausePass(h.game);
    testing::PausePass(h.game);
    FillRect(h.game.Display[drawnOn], 200, 170, 100, 40, kBlue);
    testing::PausePass(h.game);
    const Surface& shown = h.game.Display[kVisible];
    EXPECT_EQ(PixelAt(shown, 230, 184), kWhite) << drawnOn;
    EXPECT_EQ(PixelAt(shown, 201, 171), besideTheWord) << drawnOn;
  }
}

TEST(Pause, TheEnterThatPausedDoesNotResumeButTheNextDoes) {
  GameRun held(Join({IntoPlay(), {Down(2000, vk::Enter)}}), 4000);
  EXPECT_STREQ(held.Start(), "time");
  EXPECT_EQ(held.world().GameState, GameState::Paused);

  GameRun resumed(Join({IntoPlay(), Tap(2000, vk::Enter), Tap(3000, vk::Enter), Tap(3500, vk::Space)}), 4000);
  EXPECT_STREQ(resumed.Start(), "time");
  EXPECT_EQ(resumed.world().GameState, GameState::Playing);
  EXPECT_EQ(resumed.world().PauseRequest, 0);
  EXPECT_EQ(resumed.world().ShotsYen, 1000);  // play goes on: Space throws again
  // The resuming Enter is seen at once, not at the end of a rest.
  const auto& entries = resumed.log.entries;
  const auto back = std::find_if(entries.begin(), entries.end(), [](const PassLog::Entry& e) {
    return e.loop == Loop::Play && e.us > 3000000;
  });
  ASSERT_NE(back, entries.end());
  EXPECT_LT(std::prev(back)->us, 3001000u);
}

TEST(Pause, TheKeyboardIsReadEveryTwelfthPass) {
  Harness h;
  h.world().GameState = GameState::Paused;
  h.world().PauseRequest = 13;
  h.world().KeyLatch = 0;
  h.Hold(vk::Enter);
  h.game.LastKey = 0;
  for (int pass = 1; pass <= 11; ++pass) {
    testing::PausePass(h.game);
    ASSERT_EQ(h.world().GameState, GameState::Paused) << pass;
    ASSERT_EQ(h.world().KeyLatch, pass);
  }
  testing::PausePass(h.game);
  EXPECT_EQ(h.world().KeyLatch, 0);
  EXPECT_EQ(h.world().GameState, GameState::Playing);
}

// Enters an end screen as the world logic leaves the game: in the middle of play.
void EnterEndScreen(GameRun& run, GameState state) {
  SetUpForm(*run.game);
  ResetWorld(run.world(), run.run());
  run.run().FramePeriod = 33;
  run.world().GameState = state;
  try {
    RunGameStates(*run.game);
  } catch (const HeadlessTimeUp&) {
  }
}

TEST(GameOverScreen, DropsSpaceBeforeItsHundredthFrameAndRestartsAtTheAttractSequence) {
  // Frame n of the screen starts at about 68 * (n - 1) ms.
  GameRun run(Join({Tap(3000, vk::Space), Tap(8000, vk::Space)}), 8500);
  EnterEndScreen(run, GameState::GameOver);
  const auto& entries = run.log.entries;
  const auto over = static_cast<std::size_t>(std::count_if(
      entries.begin(), entries.end(), [](const PassLog::Entry& e) { return e.loop == Loop::GameOver; }));
  EXPECT_GT(over, 100u);  // the first press was dropped
  EXPECT_EQ(run.world().GameState, GameState::Attract);
  EXPECT_EQ(run.run().FramePeriod, 67);
  EXPECT_EQ(run.log.Count(Loop::Logo), 0u);  // the logo is not shown again
  EXPECT_EQ(run.platform->audio.TakeMusicCommands(), (std::vector<std::string>{"stop", "close"}));
}

TEST(GameOverScreen, ASpaceStillHeldAtTheHundredthFrameIsActedOn) {
  GameRun run({Down(6000, vk::Space)}, 8000);  // pressed at frame 89 and held
  EnterEndScreen(run, GameState::GameOver);
  EXPECT_EQ(run.world().GameState, GameState::Attract);
  EXPECT_EQ(run.log.Count(Loop::GameOver), 100u);
}

TEST(EndingScreen, TakesSpaceOnlyWhenItsCounterReadsExactly100) {
  GameRun held({Down(6000, vk::Space)}, 9000);  // a press held across frame 100 was consumed before it
  EnterEndScreen(held, GameState::TerroristsLeft);
  EXPECT_EQ(held.world().GameState, GameState::TerroristsLeft);
  EXPECT_EQ(held.run().EndCounter, 99);

  GameRun pressed(Tap(8000, vk::Space), 9000);
  EnterEndScreen(pressed, GameState::TerroristsLeft);
  EXPECT_EQ(pressed.world().GameState, GameState::Attract);
}

TEST(Window, ClosedDuringAWaitStopsTheSoundAndEndsTheRun) {
  GameRun run(Join({IntoPlay(), {Down(1500, vk::Space), Close(2000)}}));
  EXPECT_STREQ(run.Start(), "closed");
  // The close came in the middle of a frame's wait, long before the next frame.
  EXPECT_LT(run.platform->clock.ElapsedUs(), 2009000u);
  EXPECT_EQ(run.platform->audio.TakeMusicCommands(),
            (std::vector<std::string>{"open bg1.mid", "play", "stop", "close"}));
  const std::vector<std::string> effects = run.platform->audio.TakeEffects();
  ASSERT_FALSE(effects.empty());
  EXPECT_EQ(effects.back(), "silence");
}

}  // namespace
}  // namespace talvessa

namespace talvessa {
namespace {

TEST(SetUpForm, GivesTheProgramFolderExactlyOneTrailingSeparator) {
  for (auto [folder, expected] : {std::pair{"/", "/"},
                                  {"/opt/talvessa", "/opt/talvessa/"},
                                  {"/opt/talvessa/", "/opt/talvessa/"},
                                  {"/home/ana/My Games/タルヴェッサ", "/home/ana/My Games/タルヴェッサ/"}}) {
    HeadlessPlatform::Options options;
    options.programFolder = folder;
    Harness h(options);
    EXPECT_EQ(h.game.AppFolder, expected);
    h.game.sound.OpenMusic(Tune::Play);
    EXPECT_EQ(h.game.sound.MusicPath(), std::string(expected) + "da/bg1.mid");
  }
}

TEST(SetUpForm, StartsWithThreeWhiteSurfacesTheSizeOfTheWindow) {
  Harness h;
  for (const Surface& display : h.game.Display) {
    EXPECT_EQ(display.Width, 576);
    EXPECT_EQ(display.Height, 448);
    EXPECT_EQ(display.Left, 0);
    EXPECT_EQ(display.Top, 0);
    EXPECT_EQ(PixelAt(display, 575, 447), kWhite);
  }
  EXPECT_EQ(h.game.Chip.Width, 288);
  EXPECT_EQ(h.game.Chip.Height, 288);
  EXPECT_EQ(h.game.LogoChip.Width, 96);
  EXPECT_EQ(h.game.LogoChip.Height, 128);
  EXPECT_EQ(h.world().GameState, GameState::Logo);
  // The window shows the white visible surface from the start.
  EXPECT_EQ(h.platform.screen.LastPicture().rgb[0], 255);
}

}  // namespace
}  // namespace talvessa
