// The keys and events every real backend gives the same meaning outside the game: the sound keys, and
// the pause of a game whose window (or the page's tab) goes to the background. The desktop window and the
// page both follow these rules.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/audio.h"

namespace talvessa {

// M mutes and unmutes all sound; - and = (or a controller's shoulder buttons) step the volume down and up
// on the audio service's scale. They work on every screen, paused too, and the game never sees them.
class SoundKeys {
 public:
  enum class Key { Mute, Down, Up };

  SoundKeys(int volume, bool muted) : volume_(volume), muted_(muted) {}

  // A key went down. A held M mutes or unmutes once; a held step repeats. A step while muted brings the
  // sound back, one step from where it was.
  void Pressed(Key key, bool repeat) {
    if (key == Key::Mute) {
      if (!repeat) muted_ = !muted_;
      return;
    }
    muted_ = false;
    volume_ = std::clamp(volume_ + (key == Key::Up ? 1 : -1), 0, kFullVolume);
  }
  // The volume the sound plays at now: 0 while muted.
  int Heard() const { return muted_ ? 0 : volume_; }
  int Volume() const { return volume_; }
  bool Muted() const { return muted_; }

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
  void Pumped(bool lostKeyboard, std::uint64_t nowMs) {
    const bool resting = waitedMs_ && nowMs - *waitedMs_ < kRestingMs;
    if (enabled_ && lostKeyboard && !resting) {
      pressedMs_ = nowMs;
      read_ = false;
    } else if (pressedMs_ && (read_ || nowMs - *pressedMs_ >= kHeldMs)) {
      pressedMs_.reset();
    }
  }
  // Whether the game sees Enter pressed now; a read Enter is let go at the next pump.
  bool ReadEnter() {
    if (!pressedMs_) return false;
    read_ = true;
    return true;
  }

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
