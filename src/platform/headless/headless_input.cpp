#include "platform/headless/headless_input.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace talvessa {

HeadlessInput::HeadlessInput(HeadlessClock& clock, std::vector<ScriptEvent> script,
                             std::optional<std::uint64_t> untilMs)
    : clock_(clock), untilMs_(untilMs) {
  for (ScriptEvent& event : script) (event.atPass > 0 ? passScript_ : script_).push_back(event);
  std::stable_sort(script_.begin(), script_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.atMs < b.atMs; });
  std::stable_sort(passScript_.begin(), passScript_.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.atPass < b.atPass; });
}

std::uint64_t HeadlessInput::NextEventUs() const {
  if (nextEvent_ >= script_.size()) return std::numeric_limits<std::uint64_t>::max();
  return MsToUs(script_[nextEvent_].atMs);
}

bool HeadlessInput::PassEventDue() const {
  return nextPassEvent_ < passScript_.size() && passScript_[nextPassEvent_].atPass <= pass_;
}

void HeadlessInput::Apply(const ScriptEvent& event) {
  switch (event.kind) {
    case ScriptEvent::Kind::KeyDown: held_.insert(event.virtualKey); break;
    case ScriptEvent::Kind::KeyUp: held_.erase(event.virtualKey); break;
    case ScriptEvent::Kind::CloseWindow: closeRequested_ = true; break;
  }
}

void HeadlessInput::ApplyDueEvents() {
  while (nextEvent_ < script_.size() && NextEventUs() <= clock_.ElapsedUs()) Apply(script_[nextEvent_++]);
  while (PassEventDue()) Apply(passScript_[nextPassEvent_++]);
}

PumpResult HeadlessInput::PumpEvents() {
  ++pumpCount_;
  clock_.Advance(kPumpCostUs);
  if (untilMs_ && clock_.ElapsedUs() >= MsToUs(*untilMs_)) throw HeadlessTimeUp{};
  if (untilPass_ && pass_ > *untilPass_) throw HeadlessTimeUp{};
  ApplyDueEvents();
  if (closeRequested_) {
    closeRequested_ = false;
    return PumpResult::CloseRequested;
  }
  return PumpResult::Running;
}

bool HeadlessInput::WaitForEvents(std::uint32_t timeoutMs) {
  if (PassEventDue()) return true;
  const std::uint64_t timeoutEnd = SaturatingAddUs(clock_.ElapsedUs(), MsToUs(timeoutMs));
  const std::uint64_t next = NextEventUs();
  clock_.AdvanceTo(std::min(timeoutEnd, next));
  return next <= clock_.ElapsedUs();
}

void HeadlessInput::SetKeyHeld(int virtualKey, bool held) {
  if (held) {
    held_.insert(virtualKey);
  } else {
    held_.erase(virtualKey);
  }
}

}  // namespace talvessa
