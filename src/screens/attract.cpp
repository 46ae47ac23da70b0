#include "screens/screens.h"

namespace talvessa {

namespace {

bool AttractFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  CopyRegion(game.Display, 2, 1, 0, 0, 36, 24);
  CopyRegion(game.Display, 1, 0, 0, 0, 32, 24);
  PollKeys(game);
  HandleCommand(game);
  PaceFrame(game);
  if (QuitOnEsc(game)) return false;
  return w.GameState != GameState::Playing;
}

}  // namespace

void RunAttractSequence(Game& game) { RunPasses(game, Loop::Attract, AttractFrame); }

}  // namespace talvessa
