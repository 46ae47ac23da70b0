// The real backend: the window of sdl_window.h, the keyboard as SDL sees it for our window together with
// the controllers of sdl_pads.h, and the sound of sdl_sound.h.
#include <SDL.h>
#include <sys/prctl.h>

#include <chrono>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "platform/sdl_pads.h"
#include "platform/sdl_platform_options.h"
#include "platform/sdl_sound.h"
#include "platform/sdl_window.h"
#include "platform/window_keys.h"

namespace talvessa {

namespace {

// Letters and punctuation follow the keyboard layout, as virtual keys do; the rest are fixed keys.
SDL_Scancode ScancodeFor(int virtualKey) {
  switch (virtualKey) {
    case vk::Enter: return SDL_SCANCODE_RETURN;
    case vk::Escape: return SDL_SCANCODE_ESCAPE;
    case vk::Space: return SDL_SCANCODE_SPACE;
    case vk::Left: return SDL_SCANCODE_LEFT;
    case vk::Right: return SDL_SCANCODE_RIGHT;
    case vk::B: return SDL_GetScancodeFromKey(SDLK_b);
    case vk::N: return SDL_GetScancodeFromKey(SDLK_n);
    case vk::V: return SDL_GetScancodeFromKey(SDLK_v);
    case vk::X: return SDL_GetScancodeFromKey(SDLK_x);
    case vk::Z: return SDL_GetScancodeFromKey(SDLK_z);
    case vk::Comma: return SDL_GetScancodeFromKey(SDLK_COMMA);
    case vk::Period: return SDL_GetScancodeFromKey(SDLK_PERIOD);
    case vk::Slash: return SDL_GetScancodeFromKey(SDLK_SLASH);
    default: return SDL_SCANCODE_UNKNOWN;
  }
}

WindowKeys::Key WindowKeyOf(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_RETURN: return WindowKeys::Key::Return;
    case SDL_SCANCODE_KP_ENTER: return WindowKeys::Key::KeypadEnter;
    case SDL_SCANCODE_F11: return WindowKeys::Key::F11;
    default: return WindowKeys::Key::Other;
  }
}

class SdlPlatform final : public Platform {
 public:
  // `sound` is null when SDL has no sound at all.
  SdlPlatform(std::unique_ptr<SdlWindow> window, std::unique_ptr<SdlSound> sound)
      : window_(std::move(window)), sound_(std::move(sound)) {}

  ~SdlPlatform() override {
    // Everything SDL made goes before SDL itself.
    sound_.reset();
    pads_.reset();
    window_.reset();
    SDL_Quit();
  }

  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  std::uint64_t ClockUs() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  }

  void Sleep(std::uint32_t us) override { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

  std::uint64_t TimerSeed() override {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
           ClockUs();
  }

  std::string ProgramFolder() override {
    char* base = SDL_GetBasePath();
    std::string folder = base != nullptr ? base : "./";
    SDL_free(base);
    return folder;
  }

  PumpResult PumpEvents() override {
    // Draining the whole queue on every pump keeps it from growing without end.
    bool close = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      switch (event.type) {
        case SDL_QUIT: close = true; break;
        case SDL_WINDOWEVENT:
          if (event.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
              event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            window_->Redraw();
          }
          break;
        case SDL_KEYDOWN:
          if (windowKeys_.Pressed(WindowKeyOf(event.key.keysym.scancode),
                                  (event.key.keysym.mod & KMOD_ALT) != 0, event.key.repeat != 0)) {
            window_->ToggleFullscreen();
          }
          break;
        case SDL_KEYUP: windowKeys_.Released(WindowKeyOf(event.key.keysym.scancode)); break;
        case SDL_AUDIODEVICEADDED:
        case SDL_AUDIODEVICEREMOVED:
          if (sound_ && event.adevice.iscapture == 0) {
            sound_->DeviceEvent(event.type == SDL_AUDIODEVICEADDED, event.adevice.which);
          }
          break;
        default: pads_->HandleEvent(event); break;
      }
    }
    pads_->ReadControls();
    if (sound_) sound_->SeekLostDevice();
    return close ? PumpResult::CloseRequested : PumpResult::Running;
  }

  bool WaitForEvents(std::uint32_t timeoutMs) override {
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs)) != 0;
  }

  bool KeyDown(int virtualKey) override {
    // SDL tracks keys and controllers for the window that has the keyboard and lets them all go when it
    // loses it.
    if (!window_->HasKeyboard()) return false;
    if (pads_->Held(virtualKey)) return true;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (virtualKey == vk::Enter) {
      return windowKeys_.GameSeesEnter(keys[SDL_SCANCODE_RETURN] != 0, keys[SDL_SCANCODE_KP_ENTER] != 0,
                                       (SDL_GetModState() & KMOD_ALT) != 0);
    }
    const SDL_Scancode code = ScancodeFor(virtualKey);
    return code != SDL_SCANCODE_UNKNOWN && keys[code] != 0;
  }

  void Present(const WindowPicture& picture) override { window_->Show(picture); }

  void PlayEffect(const std::string& path) override {
    if (sound_) sound_->PlayEffect(path);
  }
  void SilenceEffects() override {
    if (sound_) sound_->SilenceEffects();
  }
  void OpenMusic(const std::string& path) override {
    if (sound_) sound_->OpenMusic(path);
  }
  void PlayMusic() override {
    if (sound_) sound_->PlayMusic();
  }
  MusicMode MusicStatus() override { return sound_ ? sound_->MusicStatus() : MusicMode::NotOpen; }
  void SeekMusicToStart() override {
    if (sound_) sound_->SeekMusicToStart();
  }
  void StopMusic() override {
    if (sound_) sound_->StopMusic();
  }
  void CloseMusic() override {
    if (sound_) sound_->CloseMusic();
  }

 private:
  std::unique_ptr<SdlWindow> window_;
  std::unique_ptr<SdlPads> pads_ = std::make_unique<SdlPads>();
  std::unique_ptr<SdlSound> sound_;
  WindowKeys windowKeys_;
};

// SDL falls back to drivers that draw nowhere; the game wants a window someone can see, unless the
// user asked for such a driver by name.
bool ShowsNothing(const char* driver) {
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && *asked != '\0') return false;
  return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

}  // namespace

std::unique_ptr<Platform> OpenSdlPlatform(std::string& error) {
  return OpenSdlPlatform(SdlPlatformOptions{}, error);
}

std::unique_ptr<Platform> OpenSdlPlatform(const SdlPlatformOptions& options, std::string& error) {
  // Without a desktop session only the console driver can show the game; trying the others would
  // fail noisily.
  if (SDL_getenv("SDL_VIDEODRIVER") == nullptr && SDL_getenv("DISPLAY") == nullptr &&
      SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "KMSDRM");
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    SDL_Quit();
    return nullptr;
  }
  if (ShowsNothing(SDL_GetCurrentVideoDriver())) {
    error = "no display";
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
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(error);
  if (window == nullptr) {
    SDL_Quit();
    return nullptr;
  }
  // Sleeps end within a few microseconds of their time instead of the default 50 us of slack: the
  // frame waits sleep close to their deadline.
  prctl(PR_SET_TIMERSLACK, 1000UL);
  return std::make_unique<SdlPlatform>(std::move(window), SdlSound::Open(options.soundFont));
}

}  // namespace talvessa
