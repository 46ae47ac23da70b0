// The keys and events that belong to the window rather than to the game: Alt+Enter and F11 switch
// fullscreen on and off; M, - and = set the sound; and, when the player asks for it, a window losing the
// keyboard pauses play. Enter alone pauses the game, so the Enter of Alt+Enter is kept from the game until
// it is let go.
#pragma once

#include <cstdint>
#include <optional>

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

// M mutes and unmutes all sound; - and = (or a controller's shoulder buttons) step the volume down and up
// on the audio service's scale. They work on every screen, paused too, and the game never sees them.
class SoundKeys {
 public:
  enum class Key { Mute, Down, Up };

  SoundKeys(int volume, bool muted) : volume_(volume), muted_(muted) {}

  // A key went down. A held M mutes or unmutes once; a held step repeats. A step while muted brings the
  // sound back, one step from where it was.
  void Pressed(Key key, bool repeat);
  // The volume the sound plays at now: 0 while muted.
  int Heard() const { return muted_ ? 0 : volume_; }

 private:
  int volume_;
  bool muted_;
};

// With --pause-when-unfocused, a window that loses the keyboard during play pauses the game as Enter
// does: the game sees Enter pressed until the pump after it first reads it (the frame's waits pump events
// too), or for kHeldMs if it reads no keys. The game waits for window events only while it rests in its
// pause; there an Enter would resume it, so a game that waited lately is left be.
class FocusPause {
 public:
  explicit FocusPause(bool enabled) : enabled_(enabled) {}

  // The game waited for window events at `nowMs`.
  void Waited(std::uint64_t nowMs) { waitedMs_ = nowMs; }
  // An event pump at `nowMs` has run; `lostKeyboard` when the window lost the keyboard in it.
  void Pumped(bool lostKeyboard, std::uint64_t nowMs);
  // Whether the game sees Enter pressed now; a read Enter is let go at the next pump.
  bool ReadEnter();

 private:
  // Longer than the rests of a pause between two of its waits.
  static constexpr std::uint64_t kRestingMs = 250;
  // A few frames: a screen that reads no keys then never sees the Enter.
  static constexpr std::uint64_t kHeldMs = 100;

  bool enabled_;
  std::optional<std::uint64_t> waitedMs_;
  std::optional<std::uint64_t> pressedMs_;
  bool read_ = false;
};

}  // namespace talvessa
