// The real clock: the system's monotonic clock, sleeps that end close to their time, and a seed from
// the wall clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/clock.h"

namespace talvessa {

class SdlClock final : public Clock {
 public:
  std::uint64_t ClockUs() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  }

  void Sleep(std::uint32_t us) override { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

  std::uint64_t TimerSeed() override {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
           ClockUs();
  }
};

}  // namespace talvessa
