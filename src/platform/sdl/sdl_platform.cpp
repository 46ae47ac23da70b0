#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <alsa/error.h>
#include <sys/prctl.h>

#include <utility>

#include "formats/quoted.h"
#include "platform/sdl/data_folder.h"
#include "platform/sdl/session_end.h"

namespace talvessa {

namespace {

// SDL falls back to drivers that draw nowhere; the game wants a window someone can see, unless the
// user asked for such a driver by name.
bool ShowsNothing(const char* driver) {
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && *asked != '\0') return false;
  return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

std::string BasePath() {
  char* base = SDL_GetBasePath();
  std::string folder = base != nullptr ? base : "./";
  SDL_free(base);
  return folder;
}

// ALSA writes every failure to stderr itself, eight lines on a machine without a sound card; the game
// says in one line that it plays without sound instead.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Why no window could be opened, for the player.
std::string NoWindow(bool displaySet, const std::string& why) {
  if (!displaySet) {
    return "no display to show the game on (neither DISPLAY nor WAYLAND_DISPLAY is set); run it under a "
           "virtual one: xvfb-run -a followed by the command you ran";
  }
  const char* display =
      SDL_getenv("WAYLAND_DISPLAY") != nullptr ? SDL_getenv("WAYLAND_DISPLAY") : SDL_getenv("DISPLAY");
  return "cannot open the game window on the display " + Quoted(display) + " (" + why + ")";
}

}  // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::Open(const SdlPlatformOptions& options, std::string& error) {
  const std::optional<std::string> data = DataFolder(BasePath(), options.dataFolder);
  if (!data) {
    error = WhyNoDataFolder(options.dataFolder);
    return nullptr;
  }
  // Without a desktop session only the console driver can show the game; trying the others would
  // fail noisily. With only DISPLAY set the desktop is X11: asked for by name, SDL says why a display
  // that cannot be used failed, and tries no Wayland, whose library would complain on stderr.
  const bool x11 = SDL_getenv("DISPLAY") != nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr;
  const bool displaySet = x11 || SDL_getenv("WAYLAND_DISPLAY") != nullptr;
  if (SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
    if (!displaySet) SDL_SetHint(SDL_HINT_VIDEODRIVER, "KMSDRM");
    if (x11) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = NoWindow(displaySet, SDL_GetError());
    SDL_Quit();
    return nullptr;
  }
  if (ShowsNothing(SDL_GetCurrentVideoDriver())) {
    error =
        NoWindow(displaySet, std::string("SDL offers only its ") + SDL_GetCurrentVideoDriver() + " driver");
    SDL_Quit();
    return nullptr;
  }
  // X11 and the offscreen driver draw window surfaces themselves; told so, SDL makes no 3-D renderer for
  // a picture that is only copied (making a GL context, software GL on machines without a GPU, took a
  // quarter of a second and some 90 MB). Wayland and KMSDRM need the renderer. A user's setting wins.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "offscreen") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(error, options.scale, options.fullscreen);
  if (window == nullptr) {
    error = NoWindow(displaySet, error);
    SDL_Quit();
    return nullptr;
  }
  WatchForSessionEnd(window->handle());
  // Sleeps end within a few microseconds of their time instead of the default 50 us of slack: the
  // frame waits sleep close to their deadline.
  prctl(PR_SET_TIMERSLACK, 1000UL);
  snd_lib_error_set_handler(QuietAlsa);
  return std::unique_ptr<SdlPlatform>(
      new SdlPlatform(std::move(window), SdlSound::Open(options.soundFont), *data, options));
}

SdlPlatform::SdlPlatform(std::unique_ptr<SdlWindow> window, std::unique_ptr<SdlSound> sound,
                         std::string programFolder, const SdlPlatformOptions& options)
    : window_(std::move(window)),
      pads_(std::make_unique<SdlPads>()),
      sound_(std::move(sound)),
      input_(std::make_unique<SdlInput>(*window_, *pads_, sound_.get(),
                                        SoundKeys(options.volume, options.muted),
                                        FocusPause(options.pauseWhenUnfocused))),
      programFolder_(std::move(programFolder)) {
  if (sound_ != nullptr) sound_->SetVolume(options.muted ? 0 : options.volume);
  // The controllers are of no use to the first pictures (the white page and the logo's first frame).
  window_->AfterPictures(2, [pads = pads_.get()] { pads->Start(); });
}

SdlPlatform::~SdlPlatform() {
  // Everything SDL made goes before SDL itself.
  input_.reset();
  sound_.reset();
  pads_.reset();
  // A window on a display that is gone cannot be taken down: SDL would wait for the server's answer for
  // ever. The process is about to end; it leaves the window and SDL as they are.
  if (DisplayLost()) {
    static_cast<void>(window_.release());
    return;
  }
  window_.reset();
  SDL_Quit();
}

Platform SdlPlatform::Services() {
  Audio& audio = sound_ ? static_cast<Audio&>(*sound_) : silence_;
  return {clock_, *input_, *window_, audio, programFolder_};
}

}  // namespace talvessa
