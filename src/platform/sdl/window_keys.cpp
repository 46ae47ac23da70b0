#include "platform/sdl/window_keys.h"

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

}  // namespace talvessa
