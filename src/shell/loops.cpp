// Every loop of the game in one table: the body each pass runs, the GameState it runs in, how it is paced
// and where it tests Esc (each screen keeps its own order: docs/fidelity.md). The frame skeleton (shell/frames.h) runs them all.
#include "screens/screens.h"
#include "shell/frames.h"

namespace talvessa {

namespace {

constexpr LoopShape kLogo{Loop::Logo, GameState::Logo, Pacing::Frame, EscTest::BeforeWait, LogoFrame};
constexpr LoopShape kAttract{Loop::Attract, GameState::Attract, Pacing::Frame, EscTest::AfterWait,
                             AttractFrame};
constexpr LoopShape kPlay{Loop::Play, GameState::Playing, Pacing::Frame, EscTest::BeforeWait, PlayFrame};
constexpr LoopShape kPause{Loop::Pause, GameState::Paused, Pacing::RestUntilEvent, EscTest::AfterWait,
                           PauseFrame};
constexpr LoopShape kGameOver{Loop::GameOver, GameState::GameOver, Pacing::Frame, EscTest::BeforeWait,
                              GameOverFrame};
constexpr LoopShape kEnding{Loop::Ending, GameState::TerroristsLeft, Pacing::Frame, EscTest::AfterWait,
                            EndingFrame};

}  // namespace

const LoopShape& LoopOf(GameState state) {
  switch (state) {
    case GameState::Logo: return kLogo;
    case GameState::Attract: return kAttract;
    case GameState::Paused: return kPause;
    case GameState::GameOver: return kGameOver;
    case GameState::TerroristsLeft: return kEnding;
    default: return kPlay;
  }
}

// No pass of its own: the steps handle no events, and are told to the observer one by one.
void ShatterScreen(Game& game) {
  const ShatterTiles tiles = BreakTitlePicture(game);
  for (int step = 1; step <= kShatterSteps; ++step) {
    DrawShatterStep(game, tiles, step);
    NotePass(game, Loop::Shatter);
    DelayMs(game, kShatterStepMs);
  }
}

}  // namespace talvessa
