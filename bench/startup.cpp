// Start-up probe: the game's own start-up (window, fonts, sheet, world, logo screen) up to the first
// picture of the logo, then it stops and prints the wall-clock time of that moment and the CPU time the
// process has used until then (all its threads, the loading of its libraries included), in nanoseconds.
// bench/startup.sh and bench/game.sh compare the first with the time the process was launched.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/sdl/fonts_on_thread.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/game.h"

namespace {

struct FirstPicture {};

// Stands between the visible surface and the window: lets the first picture through, then stops.
class StopAtFirstPicture final : public talvessa::SurfaceWatcher {
 public:
  explicit StopAtFirstPicture(talvessa::SurfaceWatcher& window) : window_(window) {}
  void SurfaceChanged(const talvessa::Surface& visible) override {
    window_.SurfaceChanged(visible);
    throw FirstPicture{};
  }

 private:
  talvessa::SurfaceWatcher& window_;
};

}  // namespace

int main() {
  // As the game's main does: the platform, then once the first two pictures are out the fonts opening and
  // the tune set rendering.
  talvessa::FontsOnThread fonts(nullptr);
  std::string error;
  std::unique_ptr<talvessa::SdlPlatform> platform = talvessa::SdlPlatform::Open({}, error);
  if (platform == nullptr) {
    std::fprintf(stderr, "startup: %s\n", error.c_str());
    return 1;
  }
  platform->AfterPictures(2, [&fonts, &platform] {
    fonts.Start();
    if (platform->Sound() != nullptr)  // the game's tune, beside bench/
      platform->Sound()->PrepareTune(platform->Services().programFolder + "../da/bg1.mid");
  });
  talvessa::Game game(platform->Services(), &fonts);
  StopAtFirstPicture stop(game.window);
  try {
    // The game's own start-up, with the watch put on the visible surface once it exists.
    talvessa::SetUpForm(game);
    game.Display[talvessa::kVisible].watcher = &stop;
    talvessa::ResetWorld(game.world, game.run);
    talvessa::RunGameStates(game);
  } catch (const FirstPicture&) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::printf("%lld %lld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                static_cast<long long>(cpu.tv_sec) * 1000000000LL + cpu.tv_nsec);
    return 0;
  }
  return 1;
}
