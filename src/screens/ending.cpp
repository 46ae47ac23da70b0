// The ending when the terrorists have left: the emptied field under the grid veil and their message
// typed a character every third frame, without a sound. Space counts only at frame 100.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

bool EndingFrame(Game& game) {
  World& w = game.world;
  ScreenMemory& s = game.screens;
  BeginPass(game);
  w.EndCounter = static_cast<std::int16_t>(w.EndCounter + 1);
  // Commands are handled on every frame; Space counts only when the counter reads exactly 100.
  PollKeys(game);
  HandleCommand(game);
  if (w.GameState != GameState::TerroristsLeft) return false;
  game.Display[1].FontName = kBrushFace;
  const std::int16_t frame = w.EndCounter;
  if (frame == 1) {
    // The veil goes over the ground picture, so nothing that play draws anew each step is seen.
    DrawGridVeil(game.Display[2]);
    CopyRegion(game.Display, 2, 1, 0, 0, 36, 24);
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
    s.FirstLetters = 0;
    s.SecondLetters = 0;
  } else if (frame >= 10 && frame <= 34) {
    TypeNextFrame(game, s.FirstLetters, "テロリスト達は、", 34, 3);
  } else if (frame == 35) {
    s.FirstLetters = 0;
  } else if (frame >= 36 && frame <= 80) {
    TypeNextFrame(game, s.FirstLetters, "帰って行ってしまいました", 208, 3);
  } else if (frame >= kReadyFrame - 1) {
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
    w.EndCounter = kReadyFrame - 1;
  }
  // Here the wait comes before the Esc test.
  PaceFrame(game);
  if (QuitOnEsc(game)) return false;
  return true;
}

}  // namespace

void RunEndingScreen(Game& game) { RunPasses(game, Loop::Ending, EndingFrame); }

}  // namespace talvessa
