// The ending when the terrorists have left: the emptied field under the grid veil and their message
// typed a character every third frame, without a sound. Space counts only at frame 100.
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kReadyFrame = 100;

}  // namespace

PassEnd EndingFrame(Stage& stage) {
  ScreenMemory& s = stage.screens;
  // Commands are handled on every frame; Space counts only when the counter reads exactly 100.
  const std::int16_t frame = CountEndFrame(stage);
  stage.commands.handleCommand(stage);
  if (stage.world.GameState != GameState::TerroristsLeft) return PassEnd::Leave;
  stage.Display[kComposition].FontName = kScreenFace;
  if (frame == 1) {
    // The veil goes over the ground picture, so nothing that play draws anew each step is seen.
    DrawGridVeil(stage.Display[kBackground]);
    CopyRegion(stage.Display, kBackground, kComposition, 0, 0, region::kWindowRight, region::kFieldBottom);
    CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
    s.FirstLetters = 0;
    s.SecondLetters = 0;
  } else if (frame >= 10 && frame <= 34) {
    TypeNextFrame(stage, s.FirstLetters, "テロリスト達は、", 34, 3);
  } else if (frame == 35) {
    s.FirstLetters = 0;
  } else if (frame >= 36 && frame <= 80) {
    TypeNextFrame(stage, s.FirstLetters, "帰って行ってしまいました", 208, 3);
  } else if (frame >= kReadyFrame - 1) {
    CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
    stage.run.EndCounter = kReadyFrame - 1;
  }
  return PassEnd::Continue;
}

}  // namespace talvessa
