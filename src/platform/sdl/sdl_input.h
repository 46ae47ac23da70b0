// The real input: SDL's event queue and keyboard state for the game's window, with the controllers of
// sdl_pads.h standing for keys. The event pump also serves the window (uncovered, resized, Alt+Enter and
// F11) and the sound (output devices that come and go).
#pragma once

#include "platform/input.h"
#include "platform/sdl/sdl_pads.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sdl/window_keys.h"

namespace talvessa {

class SdlInput final : public Input {
 public:
  // `sound` is null when SDL has no sound at all.
  SdlInput(SdlWindow& window, SdlPads& pads, SdlSound* sound) : window_(window), pads_(pads), sound_(sound) {}

  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;

 private:
  SdlWindow& window_;
  SdlPads& pads_;
  SdlSound* sound_;
  WindowKeys windowKeys_;
};

}  // namespace talvessa
