// The headless clock: virtual time that moves only when the game waits or sleeps, and when the input
// charges it for an event pump. The same run takes the same virtual time on every machine.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/clock.h"

namespace talvessa {

// Virtual time sums and conversions stop at the end of the clock rather than wrap round to its start: a
// time scripted too far ahead comes never, not at once.
constexpr std::uint64_t kNeverUs = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t SaturatingAddUs(std::uint64_t a, std::uint64_t b) {
  return b > kNeverUs - a ? kNeverUs : a + b;
}
constexpr std::uint64_t MsToUs(std::uint64_t ms) { return ms > kNeverUs / 1000 ? kNeverUs : ms * 1000; }

class HeadlessClock final : public Clock {
 public:
  // `startMs` is where the millisecond clock starts: near 2^32 it wraps early in the run.
  HeadlessClock(std::uint64_t seed, std::uint32_t startMs) : seed_(seed), startMs_(startMs) {}

  std::uint64_t ClockUs() override { return SaturatingAddUs(MsToUs(startMs_), elapsedUs_); }
  void Sleep(std::uint32_t us) override { Advance(us); }
  std::uint64_t TimerSeed() override { return seed_; }

  // Virtual time since the start of the run.
  std::uint64_t ElapsedUs() const { return elapsedUs_; }
  // Moves the clock on as if the game had worked for `us`.
  void Advance(std::uint64_t us) { elapsedUs_ = SaturatingAddUs(elapsedUs_, us); }
  // Moves the clock on to `elapsedUs` since the start, unless it is there already.
  void AdvanceTo(std::uint64_t elapsedUs) {
    if (elapsedUs > elapsedUs_) elapsedUs_ = elapsedUs;
  }

 private:
  std::uint64_t seed_;
  std::uint32_t startMs_;
  std::uint64_t elapsedUs_ = 0;
};

}  // namespace talvessa
