// Talvessa: the game in its window.
#include <cstdio>
#include <iostream>
#include <optional>
#include <thread>

#include "cli/command_line.h"
#include "platform/sdl/fonts_on_thread.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/standard_descriptors.h"
#include "present/sound.h"
#include "replay/play_game.h"

namespace {

// What the player's command line asks of the real backend: the window, the sound and the pause.
talvessa::SdlPlatformOptions PlatformOptionsFor(const talvessa::GameOptions& options) {
  talvessa::SdlPlatformOptions platform;
  platform.scale = options.scale;
  // --window, like no option, opens the window the game opens by default.
  platform.fullscreen = options.fullscreen.value_or(false);
  platform.volume = options.volume.value_or(talvessa::kFullVolume);
  platform.muted = options.mute;
  platform.pauseWhenUnfocused = options.pauseWhenUnfocused;
  platform.dataFolder = options.dataFolder;
  return platform;
}

}  // namespace

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
  // A replay that cannot be shown is said before any window opens.
  std::optional<talvessa::ShownReplay> replay;
  if (!options.replayFile.empty() && !(replay = talvessa::ReadReplayToShow(options.replayFile, std::cerr)))
    return 2;
  // Without fonts the game still plays; it only lacks its words and figures.
  auto fonts = std::make_unique<talvessa::FontsOnThread>([](const std::string& error) {
    std::fprintf(stderr, "talvessa: no text will be drawn (%s)\n", error.c_str());
  });
  std::string error;
  std::unique_ptr<talvessa::SdlPlatform> platform =
      talvessa::SdlPlatform::Open(PlatformOptionsFor(options), error);
  if (platform == nullptr) {
    std::fprintf(stderr, "talvessa: %s\n", error.c_str());
    return 1;
  }
  // Once the first two pictures are shown (the white page the surfaces start as, and the logo's first
  // frame), the fonts open, the tune of play is synthesised and the effects are read, while the logo and
  // the attract sequence run: the window's opening and the first frame are left to themselves.
  platform->AfterPictures(2, [&fonts, &platform] {
    fonts->Start();
    const std::string folder = platform->Services().programFolder;
    if (talvessa::SdlSound* sound = platform->Sound()) {
      sound->PrepareTune(talvessa::Sound::TuneFile(folder, talvessa::Tune::Play));
      sound->PrepareEffects(talvessa::Sound::EffectFiles(folder));
    }
  });
  // The sound device opens meanwhile too; whether it did is said once it is known.
  std::jthread soundCheck([&platform] {
    if (platform->Sound() == nullptr || !platform->Sound()->HasDevice())
      std::fputs("talvessa: no sound device; the game plays without sound\n", stderr);
  });
  const int status = talvessa::PlayGame(platform->Services(), fonts.get(), options.recordFile,
                                        replay ? &*replay : nullptr, std::cerr);
  // The fonts go before SDL does.
  soundCheck.join();
  fonts.reset();
  return status;
}
