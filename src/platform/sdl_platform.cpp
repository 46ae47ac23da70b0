// The real backend: one SDL window showing the game's picture, the keyboard as SDL sees it for our
// window, and the sound of sdl_sound.h.
#include <SDL.h>
#include <sys/prctl.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "platform/sdl_platform_options.h"
#include "platform/sdl_sound.h"

namespace talvessa {

namespace {

constexpr const char* kCaption = "Talvessa";

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

class SdlPlatform final : public Platform {
 public:
  // `sound` is null when there is no audio device.
  SdlPlatform(SDL_Window* window, SDL_Surface* frame, std::unique_ptr<SdlSound> sound)
      : window_(window), frame_(frame), sound_(std::move(sound)) {
    Redraw();
  }

  ~SdlPlatform() override {
    sound_.reset();  // before SDL itself goes
    SDL_FreeSurface(frame_);
    SDL_DestroyWindow(window_);
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
      if (event.type == SDL_QUIT) close = true;
      if (event.type == SDL_WINDOWEVENT) {
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Redraw();
      }
    }
    return close ? PumpResult::CloseRequested : PumpResult::Running;
  }

  bool WaitForEvents(std::uint32_t timeoutMs) override {
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs)) != 0;
  }

  bool KeyDown(int virtualKey) override {
    // SDL tracks keys for the window that has the keyboard and releases them all when it loses it.
    if (SDL_GetKeyboardFocus() != window_) return false;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    const SDL_Scancode code = ScancodeFor(virtualKey);
    if (code != SDL_SCANCODE_UNKNOWN && keys[code] != 0) return true;
    return virtualKey == vk::Enter && keys[SDL_SCANCODE_KP_ENTER] != 0;
  }

  void Present(const WindowPicture& picture) override {
    for (int y = 0; y < WindowPicture::kHeight; ++y) {
      const auto row = static_cast<std::ptrdiff_t>(y) * WindowPicture::kWidth * 3;
      std::memcpy(static_cast<std::uint8_t*>(frame_->pixels) + y * frame_->pitch, picture.rgb.data() + row,
                  WindowPicture::kWidth * 3);
    }
    Redraw();
  }

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
  // The picture goes to the window's own surface (converted to its pixel format on the way).
  void Redraw() {
    SDL_Surface* shown = SDL_GetWindowSurface(window_);
    if (shown == nullptr) return;
    SDL_BlitSurface(frame_, nullptr, shown, nullptr);
    SDL_UpdateWindowSurface(window_);
  }

  SDL_Window* window_;
  SDL_Surface* frame_;  // the last picture, 576 x 448 RGB
  std::unique_ptr<SdlSound> sound_;
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
  // The picture reaches the window through the system's plain window surface, not a 3-D renderer:
  // making a GL context (software GL on machines without a GPU) took a quarter of a second and some
  // 90 MB, for a picture that is only copied. A user's own setting of this hint still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Window* window = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        WindowPicture::kWidth, WindowPicture::kHeight, SDL_WINDOW_SHOWN);
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, WindowPicture::kWidth, WindowPicture::kHeight, 24,
                                                      SDL_PIXELFORMAT_RGB24);
  if (window == nullptr || frame == nullptr || SDL_GetWindowSurface(window) == nullptr) {
    error = SDL_GetError();
    if (frame != nullptr) SDL_FreeSurface(frame);
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_Quit();
    return nullptr;
  }
  // Sleeps end within a few microseconds of their time instead of the default 50 us of slack: the
  // frame waits sleep close to their deadline.
  prctl(PR_SET_TIMERSLACK, 1000UL);
  SDL_FillRect(frame, nullptr, 0);
  return std::make_unique<SdlPlatform>(window, frame, SdlSound::Open(options.soundFont));
}

}  // namespace talvessa
