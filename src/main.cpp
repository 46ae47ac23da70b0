// Talvessa: the game in its window.
#include <cstdio>
#include <iostream>

#include "cli/command_line.h"
#include "platform/sdl/fonts.h"
#include "platform/sdl/sdl_platform.h"
#include "platform_options.h"
#include "process/standard_descriptors.h"
#include "replay/play_game.h"

int main(int argc, char** argv) {
  talvessa::KeepStandardDescriptorsOpen();
  talvessa::GameOptions options;
  try {
    options = talvessa::ParseGameArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const talvessa::BadCommandLine& bad) {
    std::fprintf(stderr, "talvessa: %s (see --help)\n", bad.what());
    return 2;
  }
  if (options.help) {
    std::fputs(talvessa::GameUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(talvessa::GameVersion().c_str(), stdout);
    return 0;
  }
  std::string error;
  std::unique_ptr<talvessa::SdlPlatform> platform =
      talvessa::SdlPlatform::Open(talvessa::PlatformOptionsFor(options), error);
  if (platform == nullptr) {
    std::fprintf(stderr, "talvessa: %s\n", error.c_str());
    return 1;
  }
  if (!platform->HasSoundDevice())
    std::fputs("talvessa: no sound device; the game plays without sound\n", stderr);
  // Without fonts the game still plays; it only lacks its words and figures.
  std::unique_ptr<talvessa::FontRasterizer> fonts = talvessa::OpenFontRasterizer(error);
  if (fonts == nullptr) std::fprintf(stderr, "talvessa: no text will be drawn (%s)\n", error.c_str());
  return talvessa::PlayGame(platform->Services(), fonts.get(), options.recordFile, options.replayFile,
                            std::cerr);
}
