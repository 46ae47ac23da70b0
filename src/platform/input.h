// The input service: the window's events and the keys held down.
#pragma once

#include <cstdint>

namespace talvessa {

enum class PumpResult { Running, CloseRequested };

class Input {
 public:
  virtual ~Input() = default;
  // Handles every pending window event; reports whether the window was asked to close.
  virtual PumpResult PumpEvents() = 0;
  // Blocks until a window event is pending or `timeoutMs` has passed; handles nothing itself.
  // Reports whether an event is pending.
  virtual bool WaitForEvents(std::uint32_t timeoutMs) = 0;
  // Whether the key (a code of platform/keys.h) is held down now, as of the last pump, and only while
  // the game's window has the keyboard.
  virtual bool KeyDown(int virtualKey) = 0;
};

}  // namespace talvessa
