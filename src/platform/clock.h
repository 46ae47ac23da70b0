// The clock service: time for the frame pacing and the waits, and the seed of the random generator.
#pragma once

#include <cstdint>

namespace talvessa {

class Clock {
 public:
  virtual ~Clock() = default;
  // A monotonic clock in microseconds. The game's millisecond clocks are its low 32 bits of milliseconds.
  virtual std::uint64_t ClockUs() = 0;
  // Gives the processor away for about `us` microseconds (a virtual clock simply moves on).
  virtual void Sleep(std::uint32_t us) = 0;
  // A seed for the random generator, taken from the system timer (or fixed by the headless tool).
  virtual std::uint64_t TimerSeed() = 0;

  // How a frame's wait sleeps: in slices of at most `sliceUs` with the events pumped between them, until
  // `napUs` before its end, then one nap to `spinUs` before it, spinning on the clock for the rest.
  struct WaitShape {
    std::int64_t sliceUs;
    std::int64_t napUs;
    std::int64_t spinUs;
  };
  // The desktop's: its sleeps end some tens of microseconds after their time, with the timer slack the
  // game sets, so a nap close to the end keeps the frame to a fraction of a millisecond.
  virtual WaitShape FrameWait() const { return {8000, 1500, 5}; }
};

}  // namespace talvessa
