// The page's clock: the browser's monotonic clock, waits that give the thread back to the browser, and a
// seed from the wall clock.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/clock.h"
#include "platform/web/page_bridge.h"

namespace talvessa {

class WebClock final : public Clock {
 public:
  std::uint64_t ClockUs() override { return static_cast<std::uint64_t>(page::NowMs() * 1000.0); }

  void Sleep(std::uint32_t us) override { page::Sleep(us); }

  // Every hand-over to the browser costs it a task and a timer, and the page gathers the keys while the
  // program sleeps: a frame's wait is one sleep, which the page rounds up to its timers' millisecond.
  WaitShape FrameWait() const override { return {std::numeric_limits<std::int32_t>::max(), 0, 0}; }

  std::uint64_t TimerSeed() override {
    return static_cast<std::uint64_t>(page::DateMs() * 1000.0) ^ ClockUs();
  }
};

}  // namespace talvessa
