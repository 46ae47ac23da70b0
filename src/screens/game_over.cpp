// The game-over screen: the last picture of play under a grid veil, GAME and OVER typed a letter
// every fourth frame with a key strike each, then the results. Space counts from frame 100.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

// One frame of typing `word` at (x, 64): a new letter every fourth frame, with its key strike.
void TypeWord(Stage& stage, std::int16_t& letters, std::string_view word, int x) {
  TypeNextFrame(stage, letters, word, x, 4);
  if (letters == 1 || letters == 4 || letters == 8 || letters == 12)
    stage.sound.PlayEffect(Effect::KeyStrike);
}

}  // namespace

PassEnd GameOverFrame(Stage& stage) {
  ScreenMemory& s = stage.screens;
  // Before the 100th frame keys are polled (so a press can be seen as new) but not acted on; from then
  // on the counter stays at 100.
  std::int16_t frame = CountEndFrame(stage);
  if (frame >= kReadyFrame) {
    frame = stage.run.EndCounter = kReadyFrame;
    stage.commands.handleCommand(stage);
    if (stage.world.GameState != GameState::GameOver) return PassEnd::Leave;
  }
  stage.Display[kComposition].FontName = kScreenFace;
  if (frame == 1) {
    DrawGridVeil(stage.Display[kComposition]);
    CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
    s.FirstLetters = 0;
    s.SecondLetters = 0;
  } else if (frame >= 10 && frame <= 21) {
    TypeWord(stage, s.FirstLetters, "GAME", 176);
  } else if (frame >= 26 && frame <= 50) {
    TypeWord(stage, s.SecondLetters, "OVER", 260);
  } else if (frame >= 51) {
    DrawResults(stage);
    CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
  }
  return PassEnd::Continue;
}

}  // namespace talvessa
