// The real backend: SDL started for one window, the keyboard and controllers, and sound. It owns
// the services it hands to the game, and SDL itself, until it is destroyed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/rendered_tune.h"
#include "platform/sdl/sdl_clock.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_pads.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_window.h"

namespace talvessa {

struct SdlPlatformOptions {
  // The General MIDI bank the tune is played with; the sound backend is handed it once, at its opening.
  std::string soundFont = SoundFontPath();
  // The folder holding the data folder da/ that the player asked for; empty, the game's own.
  std::string dataFolder = {};
  // The window's enlargement at start; unset, the largest that fits the desktop comfortably.
  std::optional<int> scale = std::nullopt;
  bool fullscreen = false;
  // The player's volume (0 to kFullVolume) and whether the sound starts muted; the sound keys go on
  // from there.
  int volume = kFullVolume;
  bool muted = false;
  // Whether a window that loses the keyboard during play pauses the game, as Enter does.
  bool pauseWhenUnfocused = false;
};

class SdlPlatform {
 public:
  // Gives null and fills `error` with one line for the player when no window can be opened (no display,
  // a display that cannot be used, or a driver that shows nothing) or the data folder asked for has no
  // da/; a missing audio device only leaves the game silent.
  static std::unique_ptr<SdlPlatform> Open(const SdlPlatformOptions& options, std::string& error);
  ~SdlPlatform();
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  Platform Services();
  // Runs `then` once `count` pictures are shown: what the first pictures have no use for starts there.
  void AfterPictures(int count, std::function<void()> then) {
    window_->AfterPictures(count, std::move(then));
  }
  // The sound backend, for what only the game's start asks of it; null when SDL has no sound at all.
  SdlSound* Sound() { return sound_.get(); }

 private:
  SdlPlatform(std::unique_ptr<SdlWindow> window, std::unique_ptr<SdlSound> sound, std::string programFolder,
              const SdlPlatformOptions& options);

  SdlClock clock_;
  std::unique_ptr<SdlWindow> window_;
  std::unique_ptr<SdlPads> pads_;
  // Null when SDL has no sound at all; the game then hears `silence_`.
  std::unique_ptr<SdlSound> sound_;
  SilentAudio silence_;
  std::unique_ptr<SdlInput> input_;
  std::string programFolder_;
};

}  // namespace talvessa
