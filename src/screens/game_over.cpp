// The game-over screen: the last picture of play under a grid veil, GAME and OVER typed a letter
// every fourth frame with a key strike each, then the results. Space counts from frame 100.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

// One frame of typing `word` at (x, 64): a new letter every fourth frame, with its key strike.
void TypeWord(Game& game, std::int16_t& letters, std::string_view word, int x) {
  TypeNextFrame(game, letters, word, x, 4);
  if (letters == 1 || letters == 4 || letters == 8 || letters == 12) game.sound.PlayEffect(4);
}

bool GameOverFrame(Game& game) {
  World& w = game.world;
  ScreenMemory& s = game.screens;
  BeginPass(game);
  w.EndCounter = static_cast<std::int16_t>(w.EndCounter + 1);
  PollKeys(game);
  // Before the 100th frame keys are polled (so a press can be seen as new) but not acted on.
  if (w.EndCounter >= kReadyFrame) {
    w.EndCounter = kReadyFrame;
    HandleCommand(game);
    if (w.GameState != GameState::GameOver) return false;
  }
  game.Display[1].FontName = kBrushFace;
  const std::int16_t frame = w.EndCounter;
  if (frame == 1) {
    DrawGridVeil(game.Display[1]);
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
    s.FirstLetters = 0;
    s.SecondLetters = 0;
  } else if (frame >= 10 && frame <= 21) {
    TypeWord(game, s.FirstLetters, "GAME", 176);
  } else if (frame >= 26 && frame <= 50) {
    TypeWord(game, s.SecondLetters, "OVER", 260);
  } else if (frame >= 51) {
    DrawResults(game);
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
  }
  if (QuitOnEsc(game)) return false;
  PaceFrame(game);
  return true;
}

}  // namespace

void RunGameOverScreen(Game& game) { RunPasses(game, Loop::GameOver, GameOverFrame); }

}  // namespace talvessa
