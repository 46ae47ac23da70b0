// The key poll and the commands it yields: the keys held become one command code, by a fixed order of
// keys and with some keys acting once per press, and the command acts on the current GameState.
#pragma once

#include "shell/game.h"

namespace talvessa {

// Whether the key is held down now.
bool KeyHeld(Game& game, int virtualKey);
// Command and LastKey from the keys held now.
void PollKeys(Game& game);
// Does what Command asks in the current GameState, then clears it (a step waits for its frame).
void HandleCommand(Game& game);

}  // namespace talvessa
