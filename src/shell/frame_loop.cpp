// The frame loop of play: a frame every FramePeriod, a world step and a new picture every second one.
#include <cstdint>

#include "render/render.h"
#include "shell/game.h"
#include "world/rules.h"

namespace talvessa {

namespace {

// One frame; false when the loop must return to the game-state loop.
bool PlayFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  game.sound.KeepMusicLooping();
  // Commands see FrameCount as it stood before this frame: steps act on the frames between steps.
  PollKeys(game);
  HandleCommand(game);
  w.FrameCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(w.FrameCount) + 1u);
  if ((w.FrameCount & 1) != 0) {
    SpawnPhase1(w, game.random);
    SpawnPhase23(w, game.random);
    StepActors(w, game.random, game.sound);
    DrawWorldStep(w, game.Display, game.Chip, game.text);
    ResolveHits(w, game.sound);
    // The frame that ends the game goes straight to its end screen.
    if (w.GameState == GameState::GameOver || w.GameState == GameState::TerroristsLeft) return false;
  }
  if (QuitOnEsc(game)) return false;
  if (w.PauseRequest == 13) {
    w.KeyLatch = 0;
    w.GameState = GameState::Paused;
    return false;
  }
  PaceFrame(game);
  return true;
}

}  // namespace

void FrameLoop(Game& game) { RunPasses(game, Loop::Play, PlayFrame); }

}  // namespace talvessa
