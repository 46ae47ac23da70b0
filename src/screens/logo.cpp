// The logo screen: the logo is revealed one pixel row at a time in random order, eight rows a frame,
// on white; then every surface turns black and shrinks to the field.
#include "platform/keys.h"
#include "present/sheet.h"
#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kLogoFrames = 50;
constexpr std::int16_t kRevealFrames = 18;
constexpr int kRowsPerFrame = 8;
constexpr int kLogoX = 240;  // centres the 96 x 128 logo on the 576 x 448 surface
constexpr int kLogoY = 160;

// Draws row indexes until eight new rows are shown or all are. At least one index is drawn, so the
// frames after the picture is complete still make one (fruitless) pick.
void RevealRows(Stage& stage) {
  ScreenMemory& s = stage.screens;
  int fresh = 0;
  do {
    const int r = stage.random.Below(logo::kHeight);
    if (s.LogoRowShown[static_cast<std::size_t>(r)] == 0) {
      Blit(stage.Display[kComposition], kLogoX, kLogoY + r, logo::kWidth, 1, stage.LogoChip, 0, r,
           Rop::SrcCopy);
      ++fresh;
      ++s.LogoRowCount;
      s.LogoRowShown[static_cast<std::size_t>(r)] = 1;
    }
  } while (fresh != kRowsPerFrame && s.LogoRowCount != logo::kHeight);
  CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kPastWindowBottom);
}

// The surfaces turn black and shrink to the 512 x 384 field inside a 32-pixel border.
void CloseLogo(Stage& stage) {
  stage.Display[kBackground].BackColor = kBlack;
  stage.Display[kComposition].BackColor = kBlack;
  Clear(stage.Display[kBackground]);
  Clear(stage.Display[kComposition]);
  CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kPastWindowBottom);
  for (Surface& display : stage.Display) SetGeometry(display, kFieldWidth, kFieldHeight, 32, 32);
  stage.world.GameState = GameState::Attract;
}

}  // namespace

PassEnd LogoFrame(Stage& stage) {
  RunState& run = stage.run;
  run.TitleCounter = static_cast<std::int16_t>(run.TitleCounter + 1);
  if (run.TitleCounter <= kRevealFrames) RevealRows(stage);
  if (stage.input.KeyDown(vk::Escape)) {
    // Esc, tested next by the loop, ends the program from here: the surfaces keep their size.
    run.TitleCounter = 0;
    return PassEnd::Continue;
  }
  if (stage.input.KeyDown(vk::Space)) {
    run.TitleCounter = kLogoFrames;
    stage.LastKey = command::Throw;  // the same press must not also start play on the next screen
  }
  if (run.TitleCounter == kLogoFrames) {
    CloseLogo(stage);
    return PassEnd::Leave;
  }
  return PassEnd::Continue;
}

}  // namespace talvessa
