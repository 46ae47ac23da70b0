// The headless input: keys and window events from a script timed on the virtual clock or keyed by loop
// pass. Each event pump costs a few microseconds of virtual time, so that loops which never wait still
// see time pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "platform/headless/headless_clock.h"
#include "platform/input.h"

namespace talvessa {

// One scripted happening, at a time counted from the start of the run, or at a loop pass.
struct ScriptEvent {
  enum class Kind { KeyDown, KeyUp, CloseWindow };
  std::uint64_t atMs = 0;
  Kind kind = Kind::KeyDown;
  int virtualKey = 0;  // for KeyDown and KeyUp
  // Above 0: at the first event pump of this pass (counted from 1) or later, whatever the time; atMs is
  // then not used. Whatever the pacing, the world sees it at the same pass.
  std::uint64_t atPass = 0;
};

// Thrown from an event pump once the run has reached its time or pass limit.
struct HeadlessTimeUp {};

class HeadlessInput final : public Input {
 public:
  // What each event pump costs on the virtual clock.
  static constexpr std::uint64_t kPumpCostUs = 5;
  // The latest time a script or a time limit may name, some 31,700 years: far beyond any run, and far
  // enough below the end of the microsecond clock that no sum of times reaches it.
  static constexpr std::uint64_t kLatestMs = 1'000'000'000'000'000;

  // The script is played in time and pass order (events at one time or pass in the order given); the run
  // ends at the first pump at or after `untilMs`, when one is given.
  HeadlessInput(HeadlessClock& clock, std::vector<ScriptEvent> script, std::optional<std::uint64_t> untilMs);

  PumpResult PumpEvents() override;
  // Moves the clock on to the next scripted event or the timeout, whichever comes first.
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override { return held_.contains(virtualKey); }

  // Holds or releases a key at once, as if the script said so (for tests and the autopilot).
  void SetKeyHeld(int virtualKey, bool held);
  std::uint64_t PumpCount() const { return pumpCount_; }
  // Told after every loop pass, for the events keyed by pass and the pass limit.
  void PassDone() { ++pass_; }
  // The run ends at the first pump after `passes` loop passes.
  void StopAfterPass(std::uint64_t passes) { untilPass_ = passes; }

 private:
  std::uint64_t NextEventUs() const;
  void ApplyDueEvents();
  bool PassEventDue() const;
  void Apply(const ScriptEvent& event);

  HeadlessClock& clock_;
  std::vector<ScriptEvent> script_;
  std::optional<std::uint64_t> untilMs_;
  std::size_t nextEvent_ = 0;
  std::vector<ScriptEvent> passScript_;
  std::size_t nextPassEvent_ = 0;
  std::optional<std::uint64_t> untilPass_;
  std::uint64_t pass_ = 1;
  bool closeRequested_ = false;
  std::set<int> held_;
  std::uint64_t pumpCount_ = 0;
};

}  // namespace talvessa
