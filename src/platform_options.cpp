#include "platform_options.h"

namespace talvessa {

SdlPlatformOptions PlatformOptionsFor(const GameOptions& options) {
  SdlPlatformOptions platform;
  platform.scale = options.scale;
  // --window, like no option, opens the window the game opens by default.
  platform.fullscreen = options.fullscreen.value_or(false);
  platform.volume = options.volume.value_or(kFullVolume);
  platform.muted = options.mute;
  platform.pauseWhenUnfocused = options.pauseWhenUnfocused;
  platform.dataFolder = options.dataFolder;
  return platform;
}

}  // namespace talvessa
