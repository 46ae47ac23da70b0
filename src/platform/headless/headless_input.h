// The headless input: keys and window events from a script timed on the virtual clock. Each event pump
// costs a few microseconds of virtual time, so that loops which never wait still see time pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "platform/headless/headless_clock.h"
#include "platform/input.h"

namespace talvessa {

// One scripted happening, at a time counted from the start of the run.
struct ScriptEvent {
  enum class Kind { KeyDown, KeyUp, CloseWindow };
  std::uint64_t atMs = 0;
  Kind kind = Kind::KeyDown;
  int virtualKey = 0;  // for KeyDown and KeyUp
};

// Thrown from an event pump once the run has reached its time limit.
struct HeadlessTimeUp {};

class HeadlessInput final : public Input {
 public:
  // What each event pump costs on the virtual clock.
  static constexpr std::uint64_t kPumpCostUs = 5;
  // The latest time a script or a time limit may name, some 31,700 years: far beyond any run, and far
  // enough below the end of the microsecond clock that no sum of times reaches it.
  static constexpr std::uint64_t kLatestMs = 1'000'000'000'000'000;

  // The script is played in time order (events at one time in the order given); the run ends at the
  // first pump at or after `untilMs`, when one is given.
  HeadlessInput(HeadlessClock& clock, std::vector<ScriptEvent> script, std::optional<std::uint64_t> untilMs);

  PumpResult PumpEvents() override;
  // Moves the clock on to the next scripted event or the timeout, whichever comes first.
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override { return held_.contains(virtualKey); }

  // Holds or releases a key at once, as if the script said so (for tests and the autopilot).
  void SetKeyHeld(int virtualKey, bool held);
  std::uint64_t PumpCount() const { return pumpCount_; }

 private:
  std::uint64_t NextEventUs() const;
  void ApplyDueEvents();

  HeadlessClock& clock_;
  std::vector<ScriptEvent> script_;
  std::optional<std::uint64_t> untilMs_;
  std::size_t nextEvent_ = 0;
  bool closeRequested_ = false;
  std::set<int> held_;
  std::uint64_t pumpCount_ = 0;
};

}  // namespace talvessa
