// The frame of play: a frame every FramePeriod, a world step and a new picture every second one.
#include <cstdint>

#include "platform/keys.h"
#include "render/render.h"
#include "shell/commands.h"
#include "world/rules.h"

namespace talvessa {

PassEnd PlayFrame(Stage& stage) {
  World& w = stage.world;
  RunState& run = stage.run;
  stage.sound.KeepMusicLooping();
  // Commands see FrameCount as it stood before this frame: steps act on the frames between steps.
  PollKeys(stage);
  HandleCommand(stage);
  run.FrameCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(run.FrameCount) + 1u);
  if ((run.FrameCount & 1) != 0) {
    SpawnPhase1(w, stage.random);
    SpawnPhase23(w, stage.random);
    StepActors(w, stage.random, stage.sound);
    DrawWorldStep(w, stage.Display, stage.Chip, stage.text);
    ResolveHits(w, stage.sound);
    // The frame that ends the game goes straight to its end screen, without the Esc test or the wait.
    if (w.GameState == GameState::GameOver || w.GameState == GameState::TerroristsLeft) return PassEnd::Leave;
  }
  // A pause asked for begins at once, unless Esc (tested next) ends the game first.
  if (w.PauseRequest == kPauseAsked && !stage.input.KeyDown(vk::Escape)) {
    w.KeyLatch = 0;
    w.GameState = GameState::Paused;
    return PassEnd::Leave;
  }
  return PassEnd::Continue;
}

}  // namespace talvessa
