// The real input: SDL's event queue and keyboard state for the game's window, with the controllers of
// sdl_pads.h standing for keys. The event pump also serves the window (uncovered, resized, Alt+Enter and
// F11, and the keyboard lost when the player asked to pause then) and the sound (M, - and = and the
// controllers' shoulder buttons; output devices that come and go).
#pragma once

#include "platform/input.h"
#include "platform/sdl/sdl_pads.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/sdl/sdl_window.h"
#include "platform/sdl/window_keys.h"

namespace talvessa {

class SdlInput final : public Input {
 public:
  // `sound` is null when SDL has no sound at all. The sound keys start from `soundKeys`; `focusPause`
  // says what a window losing the keyboard does.
  SdlInput(SdlWindow& window, SdlPads& pads, SdlSound* sound, SoundKeys soundKeys, FocusPause focusPause)
      : window_(window), pads_(pads), sound_(sound), soundKeys_(soundKeys), focusPause_(focusPause) {}

  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;

 private:
  void PressSoundKey(SoundKeys::Key key, bool repeat);

  SdlWindow& window_;
  SdlPads& pads_;
  SdlSound* sound_;
  WindowKeys windowKeys_;
  SoundKeys soundKeys_;
  FocusPause focusPause_;
};

}  // namespace talvessa
