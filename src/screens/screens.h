// The screens outside play, each with its own frame loop that returns once it has changed GameState.
// For now they keep their timing and keys; their pictures come with the sprite sheet, text and sound.
#pragma once

#include "shell/game.h"

namespace talvessa {

// The first screen of a run; ends in Attract after 50 frames, or at once on Space.
void RunLogoScreen(Game& game);
// The title screen; Space starts play.
void RunAttractSequence(Game& game);
// After a lost game; Space from its 100th frame returns to the attract sequence.
void RunGameOverScreen(Game& game);
// After the terrorists have left; Space at its 100th frame returns to the attract sequence.
void RunEndingScreen(Game& game);

}  // namespace talvessa
