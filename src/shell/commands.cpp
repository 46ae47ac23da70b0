#include "shell/commands.h"

#include <array>

#include "platform/keys.h"
#include "render/render.h"
#include "shell/frames.h"
#include "world/rules.h"

namespace talvessa {

namespace {

struct KeyBinding {
  int virtualKey;
  std::int16_t command;
  bool oncePerPress;
};

// Tested in this order; the first key held decides. Steps repeat while held (docs/fidelity.md).
constexpr std::array<KeyBinding, 12> kKeyTable = {{
    {vk::Enter, command::Pause, true},
    {vk::Right, command::StepRight, false},
    {vk::Left, command::StepLeft, false},
    {vk::Z, command::StepLeft, false},
    {vk::X, command::StepRight, false},
    {vk::Space, command::Throw, true},
    {vk::B, command::Throw, true},
    {vk::N, command::Van, true},
    {vk::V, command::Van, true},
    {vk::Comma, command::Van, true},
    {vk::Period, command::Throw, true},
    {vk::Slash, command::Van, true},
}};

// Space on the attract sequence: the play field is built and play begins.
void StartPlay(Game& game) {
  World& w = game.world;
  game.sound.PlayEffect(Effect::PlayStarts);
  // The attract demo's banknote goes to the top edge, from where it soon leaves the field.
  w.Shots[0].X = 0;
  w.Shots[0].Y = 0;
  game.Display[kBackground].FontName = kPlayFace;
  game.Display[kComposition].FontName = kPlayFace;
  ShatterScreen(game);
  DelayMs(game, 100);
  Clear(game.Display[kBackground]);
  Clear(game.Display[kComposition]);
  DrawBackground(game.Display[kBackground], game.Chip);
  CopyRegion(game.Display, kBackground, kComposition, 0, 0, region::kWindowRight, region::kFieldBottom);
  DrawPlayerFlag(w, game.Display[kComposition], game.Chip);
  DrawFunds(w, game.Display[kComposition], game.text);
  CopyRegion(game.Display, kComposition, kVisible, 0, 0, region::kFieldRight, region::kFieldBottom);
  w.GameState = GameState::Playing;
  game.sound.OpenMusic(Tune::Play);
  game.sound.PlayMusic();
  game.run.FramePeriod = kPlayFramePeriod;
  game.run.Command = command::None;
}

void Throw(Game& game) {
  World& w = game.world;
  switch (w.GameState) {
    case GameState::Playing: ThrowBanknote(w, game.sound); break;
    case GameState::GameOver:
    case GameState::TerroristsLeft: {
      const std::int16_t counter = game.run.EndCounter;
      const bool ready = w.GameState == GameState::GameOver ? counter >= 100 : counter == 100;
      if (ready) {
        ResetWorld(w, game.run);
        Clear(game.Display[kBackground]);
        w.GameState = GameState::Attract;
      }
      break;
    }
    case GameState::Attract: StartPlay(game); break;
    default: break;
  }
}

}  // namespace

void PollKeys(Stage& stage) {
  RunState& run = stage.run;
  for (const KeyBinding& key : kKeyTable) {
    if (!stage.input.KeyDown(key.virtualKey)) continue;
    // A key that acts once per press is ignored while the last poll already saw its command.
    if (key.oncePerPress && stage.LastKey == key.command) return;
    run.Command = key.command;
    stage.LastKey = key.command;
    return;
  }
  run.Command = command::None;
  stage.LastKey = command::None;
}

void HandleCommand(Stage& stage) {
  // Every stage the shell runs is its Game.
  Game& game = static_cast<Game&>(stage);
  World& w = game.world;
  RunState& run = game.run;
  switch (run.Command) {
    case command::Pause:
      if (w.GameState == GameState::Playing) {
        w.PauseRequest = kPauseAsked;
      } else if (w.GameState == GameState::Paused) {
        w.PauseRequest = kNoPause;
        w.GameState = GameState::Playing;
      }
      break;
    case command::StepLeft:
    case command::StepRight:
      // Steps act only on the frames between world steps; until then the command waits (docs/fidelity.md).
      if ((run.FrameCount & 1) == 0) return;
      StepFlag(w, run.Command == command::StepLeft);
      break;
    case command::Throw:
      if (w.PauseRequest == kNoPause) Throw(game);
      break;
    case command::Van:
      if (w.GameState == GameState::Playing) SendVanWithBundle(w, game.sound);
      break;
    default: return;
  }
  run.Command = command::None;
}

}  // namespace talvessa
