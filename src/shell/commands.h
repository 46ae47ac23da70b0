// The key poll and the commands it yields: the keys held become one command code, by a fixed order of
// keys and with some keys acting once per press, and the command acts on the current GameState.
#pragma once

#include "shell/game.h"

namespace talvessa {

// Command and LastKey from the keys held now.
void PollKeys(Stage& stage);
// Does what Command asks in the current GameState, then clears it (a step waits for its frame). The stage
// is the shell's Game: Space on the title screen starts play through the shatter.
void HandleCommand(Stage& stage);

}  // namespace talvessa
