// Start-up, the game-state loop and the pause display.
#include "screens/screens.h"
#include "present/sheet.h"
#include "shell/game.h"

namespace talvessa {

namespace {

// A pause pass rests until a window event comes, at most this long, so a pause does not spin a
// core. Once an event has come, the passes run on without rest until the keyboard is read again,
// so a key pressed during a pause is seen at once.
constexpr std::uint32_t kPauseRestMs = 10;
constexpr std::int16_t kPassesPerKeyRead = 12;

std::string WithOneTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

Game::Game(Platform& p, GlyphRasterizer* glyphs) : platform(p), text(glyphs), sound(p, AppFolder), window(p) {}

void SetUpForm(Game& game) {
  game.random.Seed(game.platform.TimerSeed());
  game.AppFolder = WithOneTrailingSeparator(game.platform.ProgramFolder());
  game.Display[0].watcher = &game.window;
  for (Surface& display : game.Display) {
    display.BackColor = kWhite;
    SetGeometry(display, 576, 448, 0, 0);
  }
  game.Chip = LoadSheet();
  game.LogoChip = LoadLogo();
}

void StateLoop(Game& game) {
  SetUpForm(game);
  ResetWorld(game.world);
  RunGameStates(game);
}

void RunGameStates(Game& game) {
  World& w = game.world;
  while (w.GameState != GameState::Quit) {
    PumpEvents(game);
    switch (w.GameState) {
      case GameState::Playing: FrameLoop(game); break;
      case GameState::Logo: RunLogoScreen(game); break;
      case GameState::Attract: RunAttractSequence(game); break;
      case GameState::GameOver:
      case GameState::TerroristsLeft:
        w.FramePeriod = kScreenFramePeriod;
        game.sound.StopMusic();
        game.sound.CloseMusic();
        if (w.GameState == GameState::GameOver) {
          RunGameOverScreen(game);
        } else {
          RunEndingScreen(game);
        }
        break;
      case GameState::Paused:
        PausePass(game);
        NotePass(game, Loop::Pause);
        break;
      case GameState::Quit: break;
    }
  }
  game.sound.StopMusic();
  game.sound.CloseMusic();
}

void PausePass(Game& game) {
  World& w = game.world;
  if (!game.pauseWoken) game.pauseWoken = game.platform.WaitForEvents(kPauseRestMs);
  PumpEvents(game);
  w.KeyLatch = static_cast<std::int16_t>(w.KeyLatch + 1);
  // The word over the last picture of play, white with a black shadow up and to the left.
  PrintText(game.text, game.Display[1], 229, 183, 12, true, kBlack, "PAUSE");
  PrintText(game.text, game.Display[1], 230, 184, 12, true, kWhite, "PAUSE");
  CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
  if (w.KeyLatch == kPassesPerKeyRead) {
    w.KeyLatch = 0;
    game.pauseWoken = false;
    PollKeys(game);
    HandleCommand(game);
  }
  QuitOnEsc(game);
}

}  // namespace talvessa
