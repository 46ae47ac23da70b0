#include "platform/sdl/window_keys.h"

#include <algorithm>

#include "platform/audio.h"

namespace talvessa {

bool WindowKeys::Pressed(Key key, bool altHeld, bool repeat) {
  if (key == Key::F11) return !repeat;
  if (!altHeld || (key != Key::Return && key != Key::KeypadEnter)) return false;
  // Hidden even on a repeat: Alt may have gone down while Enter was already held.
  (key == Key::Return ? returnHidden_ : keypadEnterHidden_) = true;
  return !repeat;
}

void WindowKeys::Released(Key key) {
  if (key == Key::Return) returnHidden_ = false;
  if (key == Key::KeypadEnter) keypadEnterHidden_ = false;
}

bool WindowKeys::GameSeesEnter(bool returnDown, bool keypadEnterDown, bool altHeld) const {
  // While Alt is held an Enter is the window's, even before its press has been read from the queue.
  if (altHeld) return false;
  return (returnDown && !returnHidden_) || (keypadEnterDown && !keypadEnterHidden_);
}

void SoundKeys::Pressed(Key key, bool repeat) {
  if (key == Key::Mute) {
    if (!repeat) muted_ = !muted_;
    return;
  }
  muted_ = false;
  volume_ = std::clamp(volume_ + (key == Key::Up ? 1 : -1), 0, kFullVolume);
}

void FocusPause::Pumped(bool lostKeyboard, std::uint64_t nowMs) {
  const bool resting = waitedMs_ && nowMs - *waitedMs_ < kRestingMs;
  if (enabled_ && lostKeyboard && !resting) {
    pressedMs_ = nowMs;
    read_ = false;
  } else if (pressedMs_ && (read_ || nowMs - *pressedMs_ >= kHeldMs)) {
    pressedMs_.reset();
  }
}

bool FocusPause::ReadEnter() {
  if (!pressedMs_) return false;
  read_ = true;
  return true;
}

}  // namespace talvessa
