// Talvessa: the game in its window.
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <system_error>
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

// The whole game; main() adds its end when memory runs out.
static int RunGame(int argc, char** argv) {
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
  std::string error;
  std::unique_ptr<talvessa::SdlPlatform> platform =
      talvessa::SdlPlatform::Open(PlatformOptionsFor(options), error);
  if (platform == nullptr) {
    std::fprintf(stderr, "talvessa: %s\n", error.c_str());
    return 1;
  }
  // Without fonts the game still plays; it only lacks its words and figures. Made after the platform,
  // they go before SDL does however the game ends.
  auto fonts = std::make_unique<talvessa::FontsOnThread>([](const std::string& error) {
    std::fprintf(stderr, "talvessa: %s; texts are not shown\n", error.c_str());
  });
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
  std::jthread soundCheck;
  try {
    soundCheck = std::jthread([&platform] {
      if (platform->Sound() == nullptr || !platform->Sound()->HasDevice())
        std::fputs("talvessa: no sound device; the game plays without sound\n", stderr);
    });
  } catch (const std::system_error& error) {
    std::fprintf(stderr, "talvessa: no thread could start to tell whether sound plays (%s)\n", error.what());
  }
  return talvessa::PlayGame(platform->Services(), fonts.get(), options.recordFile,
                            replay ? &*replay : nullptr, std::cerr);
}

// What the game cannot go on without ends it with one line of its own, never a signal: the memory its
// work needs (under a tight `ulimit -v`), or a thread it cannot do without.
int main(int argc, char** argv) {
  // Under a `ulimit -v` every thread that allocates would reserve an arena of 64 MB of address space of
  // its own (a quarter of a gigabyte for the game's few threads), and the bank, the faces and the
  // effects, loading at once, would find none left. The threads allocate little, and there share one.
  if (rlimit limit{}; getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    mallopt(M_ARENA_MAX, 1);
  try {
    return RunGame(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("talvessa: out of memory; the game cannot go on\n", stderr);
  } catch (const std::system_error& error) {
    if (error.code() == std::errc::resource_unavailable_try_again) {
      std::fprintf(stderr, "talvessa: no thread could start (%s); the game cannot go on\n", error.what());
    } else {
      std::fprintf(stderr, "talvessa: %s; the game cannot go on\n", error.what());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "talvessa: %s; the game cannot go on\n", error.what());
  }
  return 1;
}
