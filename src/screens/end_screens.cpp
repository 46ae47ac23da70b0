// The two screens that end a game. Both count their frames in EndCounter, which the world reset
// leaves at 0, and accept Space only from their 100th frame.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

bool GameOverFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  w.EndCounter = static_cast<std::int16_t>(w.EndCounter + 1);
  PollKeys(game);
  // Before the 100th frame keys are polled (so a press can be seen as new) but not acted on.
  if (w.EndCounter >= kReadyFrame) {
    w.EndCounter = kReadyFrame;
    HandleCommand(game);
    if (w.GameState != GameState::GameOver) return false;
  }
  if (QuitOnEsc(game)) return false;
  PaceFrame(game);
  return true;
}

bool EndingFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  w.EndCounter = static_cast<std::int16_t>(w.EndCounter + 1);
  // Commands are handled on every frame; Space counts only when the counter reads exactly 100.
  PollKeys(game);
  HandleCommand(game);
  if (w.GameState != GameState::TerroristsLeft) return false;
  if (w.EndCounter >= kReadyFrame - 1) {
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
    w.EndCounter = kReadyFrame - 1;
  }
  // Here the wait comes before the Esc test.
  PaceFrame(game);
  if (QuitOnEsc(game)) return false;
  return true;
}

}  // namespace

void RunGameOverScreen(Game& game) { RunPasses(game, Loop::GameOver, GameOverFrame); }

void RunEndingScreen(Game& game) { RunPasses(game, Loop::Ending, EndingFrame); }

}  // namespace talvessa
