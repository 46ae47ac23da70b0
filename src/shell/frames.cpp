#include "shell/frames.h"

#include "platform/keys.h"

namespace talvessa {

namespace {

// A pause pass rests until a window event comes, at most this long, so a pause does not spin a core.
// Once an event has come, the passes run on without rest until the keyboard is read again (the round of
// passes that KeyLatch counts starts over), so a key pressed during a pause is seen at once
// (docs/fidelity.md).
constexpr std::uint32_t kPauseRestMs = 10;

}  // namespace

const char* LoopName(Loop loop) {
  switch (loop) {
    case Loop::Logo: return "logo";
    case Loop::Attract: return "attract";
    case Loop::Shatter: return "shatter";
    case Loop::Play: return "play";
    case Loop::Pause: return "pause";
    case Loop::GameOver: return "game_over";
    case Loop::Ending: return "ending";
  }
  return "?";
}

void BeginPass(Game& game, Pacing pacing) {
  if (pacing == Pacing::Frame) {
    game.FrameStart = TimeMs(game);
  } else {
    if (game.world.KeyLatch == 0) game.pauseRunsOn = false;
    if (!game.pauseRunsOn) game.pauseRunsOn = game.platform.input.WaitForEvents(kPauseRestMs);
  }
  PumpEvents(game);
}

bool QuitOnEsc(Game& game) {
  if (!game.input.KeyDown(vk::Escape)) return false;
  game.world.GameState = GameState::Quit;
  return true;
}

void NotePass(Game& game, Loop loop) {
  if (game.observer != nullptr) game.observer->PassDone(game, loop);
}

bool RunPass(Game& game, const LoopShape& shape) {
  BeginPass(game, shape.pacing);
  bool goOn = shape.body(game) == PassEnd::Continue;
  if (goOn && shape.esc == EscTest::BeforeWait) goOn = !QuitOnEsc(game);
  if (goOn) {
    if (shape.pacing == Pacing::Frame) PaceFrame(game);
    if (shape.esc == EscTest::AfterWait) goOn = !QuitOnEsc(game);
  }
  NotePass(game, shape.loop);
  return goOn && game.world.GameState == shape.state;
}

}  // namespace talvessa
