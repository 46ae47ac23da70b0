#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr std::int16_t kLogoFrames = 50;
constexpr std::int16_t kRevealFrames = 18;

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
  if (w.TitleCounter <= kRevealFrames) CopyRegion(game.Display, 1, 0, 0, 0, 36, 32);
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
