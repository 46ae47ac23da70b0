// The keys that belong to the window rather than to the game: Alt+Enter and F11 switch fullscreen on and
// off (the sound keys and the pause on losing the keyboard, shared with the page, are in
// platform/player_keys.h). Enter alone pauses the game, so the Enter of Alt+Enter is kept from the game
// until it is let go.
#pragma once

#include "platform/player_keys.h"

namespace talvessa {

class WindowKeys {
 public:
  enum class Key { Return, KeypadEnter, F11, Other };

  // A key went down; true when this press switches fullscreen. Held-down repeats switch nothing.
  bool Pressed(Key key, bool altHeld, bool repeat);
  void Released(Key key);

  // Whether the game sees Enter held, given the keyboard's Return and keypad Enter and the Alt keys.
  bool GameSeesEnter(bool returnDown, bool keypadEnterDown, bool altHeld) const;

 private:
  bool returnHidden_ = false;
  bool keypadEnterHidden_ = false;
};

}  // namespace talvessa
