// Talvessa: the game in its window. It takes no arguments.
#include <cstdio>

#include "platform/sdl/fonts.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/game.h"

int main() {
  std::string error;
  std::unique_ptr<talvessa::SdlPlatform> platform = talvessa::SdlPlatform::Open({}, error);
  if (platform == nullptr) {
    std::fprintf(stderr,
                 "talvessa: cannot open the game window (%s); without a display, run it under a "
                 "virtual one, e.g. xvfb-run ./run.sh\n",
                 error.c_str());
    return 1;
  }
  // Without fonts the game still plays; it only lacks its words and figures.
  std::unique_ptr<talvessa::FontRasterizer> fonts = talvessa::OpenFontRasterizer(error);
  if (fonts == nullptr) std::fprintf(stderr, "talvessa: no text will be drawn (%s)\n", error.c_str());
  talvessa::Game game(platform->Services(), fonts.get());
  try {
    talvessa::StateLoop(game);
  } catch (const talvessa::WindowClosed&) {
    // The window was closed: the music is already stopped and the effects silenced.
  }
  return 0;
}
