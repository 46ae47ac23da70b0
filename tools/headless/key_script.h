// Key scripts: the keys and window closes a headless run plays, each at a time in milliseconds or at a
// loop pass.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/headless_input.h"

namespace talvessa {

// Reads a key script: lines "<ms> <key> down|up" or "<ms> close", or the same keyed by loop pass with
// "p<N>" in place of the time; '#' starts a comment. Throws std::runtime_error naming the file and line
// of the first malformed line.
std::vector<ScriptEvent> ParseKeyScript(const std::string& text, const std::string& fileName);

}  // namespace talvessa
