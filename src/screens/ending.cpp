// The ending when the terrorists have left: the emptied field under the grid veil and their message
// typed a character every third frame, without a sound. Space counts only at frame 100.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

// One frame of typing `message` at (x, 64): a new character every third call.
void TypeMessage(Game& game, std::string_view message, int x) {
  std::int16_t& i = game.screens.FirstLetters;
  i = static_cast<std::int16_t>(i + 1);
  game.screens.TypedText = FirstCharacters(message, i / 3 + 1);
  PrintText(game.text, game.Display[1], x, 64, 16, true, kWhite, game.screens.TypedText);
  CopyRegion(game.Display, 1, 0, 0, 0, 36, 24);
}

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
    TypeMessage(game, "テロリスト達は、", 34);
  } else if (frame == 35) {
    s.FirstLetters = 0;
  } else if (frame >= 36 && frame <= 80) {
    TypeMessage(game, "帰って行ってしまいました", 208);
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
