#include "replay/playback.h"

#include "platform/keys.h"

namespace talvessa {

ReplayPlayer::ReplayPlayer(const Replay& replay, Input& machine, PassObserver* next, Options options)
    : replay_(replay), machine_(machine), next_(next), options_(options) {}

void ReplayPlayer::Note(const std::string& what) {
  if (!difference_.empty()) return;
  difference_ = "pass " + std::to_string(pass_) + ": " + what;
  if (lastMatch_ > 0) difference_ += " (it matched at pass " + std::to_string(lastMatch_) + ")";
}

void ReplayPlayer::Differs(const std::string& what) {
  Note(what);
  if (options_.stopAtDifference) throw ReplayStopped{};
}

PumpResult ReplayPlayer::PumpEvents() {
  if (machine_.PumpEvents() == PumpResult::CloseRequested ||
      (options_.escapeEnds && machine_.KeyDown(vk::Escape))) {
    endedByViewer_ = true;
    return PumpResult::CloseRequested;
  }
  const bool closes = replay_.closeAt && *replay_.closeAt <= pass_ && pumpsThisPass_ == 0;
  ++pumpsThisPass_;
  return closes ? PumpResult::CloseRequested : PumpResult::Running;
}

bool ReplayPlayer::WaitForEvents(std::uint32_t timeoutMs) {
  if (replay_.closeAt && *replay_.closeAt <= pass_ && pumpsThisPass_ == 0) return true;
  return machine_.WaitForEvents(timeoutMs);
}

bool ReplayPlayer::KeyDown(int virtualKey) {
  while (nextKey_ < replay_.keys.size()) {
    const ReplayKey& key = replay_.keys[nextKey_];
    if (key.pass > pass_ || (key.pass == pass_ && key.query > query_)) break;
    ++nextKey_;
    held_[static_cast<std::size_t>(key.virtualKey)] = key.down;
    if (key.pass != pass_ || key.query != query_ || key.virtualKey != virtualKey) {
      const char* asked = KeyName(virtualKey);
      Differs(std::string("the game read ") + (asked != nullptr ? asked : "another key") +
              " where the recording read " + KeyName(key.virtualKey) + " at p" + std::to_string(key.pass) +
              "." + std::to_string(key.query));
    }
  }
  ++query_;
  const auto code = static_cast<std::size_t>(virtualKey);
  return code < held_.size() && held_[code];
}

void ReplayPlayer::PassDone(const Game& game, Loop loop) {
  if (next_ != nullptr) next_->PassDone(game, loop);
  if (nextCheck_ < replay_.checks.size() && replay_.checks[nextCheck_].pass == pass_) {
    const std::string what = DescribeDifference(replay_.checks[nextCheck_++].values, TakeWorldCheck(game));
    if (what.empty()) {
      if (difference_.empty()) lastMatch_ = pass_;
    } else {
      Differs("the world differs: " + what);
    }
  }
  if (replay_.end && replay_.end->reason == ReplayEndReason::Stopped && pass_ == replay_.end->pass) {
    const std::string what = DescribeDifference(replay_.end->values, TakeWorldCheck(game));
    if (!what.empty()) Note("the world differs at the end: " + what);
    throw ReplayStopped{};
  }
  if (replay_.end && pass_ >= replay_.end->pass) {
    Note("the game goes on where the recording ended (" + std::string(EndReasonName(replay_.end->reason)) +
         ")");
    throw ReplayStopped{};
  }
  if (!replay_.end && pass_ >= replay_.lastPass) {
    ranOut_ = true;
    throw ReplayStopped{};
  }
  ++pass_;
  query_ = 0;
  pumpsThisPass_ = 0;
}

void ReplayPlayer::RunEnded(const Game& game, ReplayEndReason reason) {
  if (!replay_.end) {
    ranOut_ = true;
    return;
  }
  if (nextKey_ < replay_.keys.size() || pass_ != replay_.end->pass || reason != replay_.end->reason) {
    Note(std::string("the game ended (") + EndReasonName(reason) + ") where the recording goes on to pass " +
         std::to_string(replay_.end->pass) + " (" + EndReasonName(replay_.end->reason) + ")");
    return;
  }
  const std::string what = DescribeDifference(replay_.end->values, TakeWorldCheck(game));
  if (!what.empty()) Note("the world differs at the end: " + what);
}

}  // namespace talvessa
