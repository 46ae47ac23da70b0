// Start-up probe: the game's own start-up (window, fonts, sheet, world, logo screen) up to the first
// picture of the logo, then it stops and prints the wall-clock time of that moment in nanoseconds.
// bench/startup.sh compares it with the time the process was launched.
#include <chrono>
#include <cstdio>

#include "platform/fonts.h"
#include "platform/platform.h"
#include "shell/game.h"

namespace {

struct FirstPicture {};

// The first pass of the logo screen has shown its first rows when it is noted.
class StopAtFirstPicture final : public talvessa::PassObserver {
 public:
  void PassDone(const talvessa::Game&, talvessa::Loop) override { throw FirstPicture{}; }
};

}  // namespace

int main() {
  std::string error;
  std::unique_ptr<talvessa::Platform> platform = talvessa::OpenSdlPlatform(error);
  if (platform == nullptr) {
    std::fprintf(stderr, "startup: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<talvessa::FontRasterizer> fonts = talvessa::OpenFontRasterizer(error);
  talvessa::Game game(*platform, fonts.get());
  StopAtFirstPicture stop;
  game.observer = &stop;
  try {
    talvessa::StateLoop(game);
  } catch (const FirstPicture&) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return 0;
  }
  return 1;
}
