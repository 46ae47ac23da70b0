// The logo screen: the logo is revealed one pixel row at a time in random order, eight rows a frame,
// on white; then every surface turns black and shrinks to the field.
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
void RevealRows(Game& game) {
  ScreenMemory& s = game.screens;
  int fresh = 0;
  do {
    const int r = game.random.Below(logo::kHeight);
    if (s.LogoRowShown[static_cast<std::size_t>(r)] == 0) {
      Blit(game.Display[1], kLogoX, kLogoY + r, logo::kWidth, 1, game.LogoChip, 0, r, Rop::SrcCopy);
      ++fresh;
      ++s.LogoRowCount;
      s.LogoRowShown[static_cast<std::size_t>(r)] = 1;
    }
  } while (fresh != kRowsPerFrame && s.LogoRowCount != logo::kHeight);
  CopyRegion(game.Display, 1, 0, 0, 0, 36, 32);
}

// The surfaces turn black and shrink to the 512 x 384 field inside a 32-pixel border.
void CloseLogo(Game& game) {
  game.Display[2].BackColor = kBlack;
  game.Display[1].BackColor = kBlack;
  Clear(game.Display[2]);
  Clear(game.Display[1]);
  CopyRegion(game.Display, 1, 0, 0, 0, 36, 32);
  for (Surface& display : game.Display) SetGeometry(display, kFieldWidth, kFieldHeight, 32, 32);
  game.world.GameState = GameState::Attract;
}

bool LogoFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  w.TitleCounter = static_cast<std::int16_t>(w.TitleCounter + 1);
  if (w.TitleCounter <= kRevealFrames) RevealRows(game);
  if (QuitOnEsc(game)) {
    w.TitleCounter = 0;  // and the surfaces keep their size: no closing steps
    return false;
  }
  if (KeyHeld(game, vk::Space)) {
    w.TitleCounter = kLogoFrames;
    game.LastKey = command::Throw;  // the same press must not also start play on the next screen
  }
  if (w.TitleCounter == kLogoFrames) {
    CloseLogo(game);
    return false;
  }
  PaceFrame(game);
  return true;
}

}  // namespace

void RunLogoScreen(Game& game) { RunPasses(game, Loop::Logo, LogoFrame); }

}  // namespace talvessa
