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
};

}  // namespace talvessa
