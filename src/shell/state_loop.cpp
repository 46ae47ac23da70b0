// Start-up, the game-state loop and the pause display.
#include "present/sheet.h"
#include "shell/commands.h"
#include "shell/frames.h"

namespace talvessa {

namespace {

// While paused the keyboard is read on every twelfth pass only.
constexpr std::int16_t kPassesPerKeyRead = 12;

std::string WithOneTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

Game::Game(const Platform& services, GlyphRasterizer* glyphs)
    : Stage(services.audio, services.clock, services.input, glyphs, {PollKeys, HandleCommand}),
      platform(services),
      window(services.screen) {}

void SetUpForm(Game& game) {
  game.random.Seed(game.platform.clock.TimerSeed());
  game.AppFolder = WithOneTrailingSeparator(game.platform.programFolder);
  game.Display[kVisible].watcher = &game.window;
  for (Surface& display : game.Display) {
    display.BackColor = kWhite;
    SetGeometry(display, WindowPicture::kWidth, WindowPicture::kHeight, 0, 0);
  }
  game.Chip = LoadSheet();
  game.LogoChip = LoadLogo();
  ResetWorld(game.world, game.run);
}

void RunGameStates(Game& game) {
  World& w = game.world;
  while (w.GameState != GameState::Quit) {
    PumpEvents(game);
    if (w.GameState == GameState::GameOver || w.GameState == GameState::TerroristsLeft) {
      game.run.FramePeriod = kScreenFramePeriod;
      game.sound.StopMusic();
      game.sound.CloseMusic();
    }
    const LoopShape& loop = LoopOf(w.GameState);
    // The pause runs one pass a turn, each after the pump above; the other loops run until they leave.
    if (loop.pacing == Pacing::RestUntilEvent) {
      RunPass(game, loop);
    } else {
      while (RunPass(game, loop)) {
      }
    }
  }
  game.sound.StopMusic();
  game.sound.CloseMusic();
}

PassEnd PauseFrame(Stage& stage) {
  World& w = stage.world;
  Surface& composition = stage.Display[kComposition];
  const Surface& visible = stage.Display[kVisible];
  w.KeyLatch = static_cast<std::int16_t>(w.KeyLatch + 1);
  // The word over the last picture of play, white with a black shadow up and to the left. A print over
  // itself and the copy of an unchanged picture change nothing, so once shown, the word is drawn again
  // only after something else has drawn.
  std::array<std::uint64_t, 2>& shownAt = stage.screens.PauseShownAt;
  if (shownAt[0] != composition.changeStamp || shownAt[1] != visible.changeStamp) {
    PrintText(stage.text, composition, 229, 183, 12, true, kBlack, "PAUSE");
    PrintText(stage.text, composition, 230, 184, 12, true, kWhite, "PAUSE");
    CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
    shownAt = {composition.changeStamp, visible.changeStamp};
  }
  if (w.KeyLatch == kPassesPerKeyRead) {
    w.KeyLatch = 0;
    PollKeys(stage);
    HandleCommand(stage);
  }
  return PassEnd::Continue;
}

}  // namespace talvessa
