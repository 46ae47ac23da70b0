// The key poll and the commands it yields.
#include <array>

#include "render/render.h"
#include "screens/screens.h"
#include "shell/game.h"
#include "world/rules.h"

namespace talvessa {

namespace {

struct KeyBinding {
  int virtualKey;
  std::int16_t command;
  bool oncePerPress;
};

// Tested in this order; the first key held decides.
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
  game.sound.PlayEffect(2);
  // The attract demo's banknote goes to the top edge, from where it soon leaves the field.
  w.Shots[0].X = 0;
  w.Shots[0].Y = 0;
  game.Display[2].FontName = "ＭＳ Ｐゴシック";
  game.Display[1].FontName = "ＭＳ Ｐゴシック";
  ShatterScreen(game);
  DelayMs(game, 100);
  Clear(game.Display[2]);
  Clear(game.Display[1]);
  DrawBackground(game.Display[2], game.Chip);
  CopyRegion(game.Display, 2, 1, 0, 0, 36, 24);
  DrawPlayerFlag(w, game.Display[1], game.Chip);
  DrawFunds(w, game.Display[1], game.text);
  CopyRegion(game.Display, 1, 0, 0, 0, 32, 24);
  w.GameState = GameState::Playing;
  game.sound.OpenMusic(1);
  game.sound.PlayMusic();
  w.FramePeriod = kPlayFramePeriod;
  w.Command = command::None;
}

void Throw(Game& game) {
  World& w = game.world;
  switch (w.GameState) {
    case GameState::Playing:
      ThrowBanknote(w, game.sound);
      break;
    case GameState::GameOver:
    case GameState::TerroristsLeft: {
      const bool ready = w.GameState == GameState::GameOver ? w.EndCounter >= 100 : w.EndCounter == 100;
      if (ready) {
        ResetWorld(w);
        Clear(game.Display[2]);
        w.GameState = GameState::Attract;
      }
      break;
    }
    case GameState::Attract: StartPlay(game); break;
    default: break;
  }
}

}  // namespace

bool KeyHeld(Game& game, int virtualKey) { return game.platform.KeyDown(virtualKey); }

void PollKeys(Game& game) {
  World& w = game.world;
  for (const KeyBinding& key : kKeyTable) {
    if (!KeyHeld(game, key.virtualKey)) continue;
    // A key that acts once per press is ignored while the last poll already saw its command.
    if (key.oncePerPress && game.LastKey == key.command) return;
    w.Command = key.command;
    game.LastKey = key.command;
    return;
  }
  w.Command = command::None;
  game.LastKey = command::None;
}

void HandleCommand(Game& game) {
  World& w = game.world;
  switch (w.Command) {
    case command::Pause:
      if (w.GameState == GameState::Playing) {
        w.PauseRequest = 13;
      } else if (w.GameState == GameState::Paused) {
        w.PauseRequest = 0;
        w.GameState = GameState::Playing;
      }
      break;
    case command::StepLeft:
    case command::StepRight:
      // Steps act only on the frames between world steps; until then the command waits.
      if ((w.FrameCount & 1) == 0) return;
      StepFlag(w, w.Command == command::StepLeft);
      break;
    case command::Throw:
      if (w.PauseRequest == 0) Throw(game);
      break;
    case command::Van:
      if (w.GameState == GameState::Playing) SendVanWithBundle(w, game.sound);
      break;
    default: return;
  }
  w.Command = command::None;
}

}  // namespace talvessa
