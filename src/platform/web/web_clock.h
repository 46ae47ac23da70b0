// The page's clock: the browser's monotonic clock, waits that give the thread back to the browser, and a
// seed from the wall clock.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/web/page_bridge.h"

namespace talvessa {

class WebClock final : public Clock {
 public:
  std::uint64_t ClockUs() override { return static_cast<std::uint64_t>(page::NowMs() * 1000.0); }

  void Sleep(std::uint32_t us) override { page::Sleep(us); }

  std::uint64_t TimerSeed() override {
    return static_cast<std::uint64_t>(page::DateMs() * 1000.0) ^ ClockUs();
  }
};

}  // namespace talvessa
