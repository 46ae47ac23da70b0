// What the player's command line asks of the real backend: the window, the sound and the pause.
#pragma once

#include "cli/command_line.h"
#include "platform/sdl/sdl_platform.h"

namespace talvessa {

SdlPlatformOptions PlatformOptionsFor(const GameOptions& options);

}  // namespace talvessa
