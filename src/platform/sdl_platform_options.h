// Opening the SDL backend with settings of one's own, for the tests and tools that need them. The game
// itself opens it with OpenSdlPlatform(error) and these defaults.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace talvessa {

struct SdlPlatformOptions {
  // The General MIDI bank the tune is played with.
  std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
};

std::unique_ptr<Platform> OpenSdlPlatform(const SdlPlatformOptions& options, std::string& error);

}  // namespace talvessa
