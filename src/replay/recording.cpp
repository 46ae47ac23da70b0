#include "replay/recording.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "formats/quoted.h"
#include "platform/keys.h"
#include "platform/open_to_write.h"

namespace talvessa {

namespace {

constexpr std::uint64_t kFlushEveryUs = 1'000'000;

}  // namespace

ReplayRecorder::ReplayRecorder(Input& keys, Clock& clock, PassObserver* next, std::ostream& err,
                               std::string program)
    : keys_(keys), clock_(clock), next_(next), err_(err), program_(std::move(program)) {}

ReplayRecorder::~ReplayRecorder() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ReplayRecorder::Start(const std::string& path, const std::string& gameVersion, std::uint64_t seed,
                           std::uint64_t checkEvery) {
  path_ = path;
  checkEvery_ = checkEvery;
  std::string why;
  file_ = OpenToWrite(path.c_str(), O_CREAT | O_TRUNC, why);
  if (file_ == nullptr) {
    failed_ = true;
    err_ << program_ << ": cannot record to " << QuotedPath(path) << ": " << why << '\n';
    return false;
  }
  Write(ReplayHeader(gameVersion, seed, checkEvery));
  Flush();
  lastFlushUs_ = clock_.ClockUs();
  return !failed_;
}

void ReplayRecorder::Stop(const std::string& what) {
  if (failed_) return;
  failed_ = true;
  err_ << program_ << ": recording to " << QuotedPath(path_) << " stopped: " << what << '\n';
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void ReplayRecorder::Write(const std::string& line) {
  if (file_ == nullptr) return;
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) Stop(std::strerror(errno));
}

void ReplayRecorder::Flush() {
  if (file_ != nullptr && std::fflush(file_) != 0) Stop(std::strerror(errno));
}

PumpResult ReplayRecorder::PumpEvents() {
  if (keys_.PumpEvents() == PumpResult::CloseRequested) closeSeen_ = true;
  if (closeSeen_ && pumpsThisPass_ == 0) {
    Write(CloseLine(pass_));
    Flush();
    return PumpResult::CloseRequested;
  }
  ++pumpsThisPass_;
  return PumpResult::Running;
}

bool ReplayRecorder::WaitForEvents(std::uint32_t timeoutMs) {
  return closeSeen_ || keys_.WaitForEvents(timeoutMs);
}

bool ReplayRecorder::KeyDown(int virtualKey) {
  const bool down = keys_.KeyDown(virtualKey);
  const auto code = static_cast<std::size_t>(virtualKey);
  if (code < held_.size() && held_[code] != down && KeyName(virtualKey) != nullptr) {
    held_[code] = down;
    Write(KeyLine({pass_, query_, virtualKey, down}));
  } else if (code >= held_.size() || KeyName(virtualKey) == nullptr) {
    Stop("the game asked for a key replays have no name for (" + std::to_string(virtualKey) + ")");
  }
  ++query_;
  return down;
}

void ReplayRecorder::PassDone(const Game& game, Loop loop) {
  lastPassValues_ = TakeWorldCheck(game);
  if (pass_ % checkEvery_ == 0) Write(CheckLine(pass_, lastPassValues_));
  const std::uint64_t nowUs = clock_.ClockUs();
  if (game.world.GameState != lastState_ || nowUs - lastFlushUs_ >= kFlushEveryUs) {
    Flush();
    lastFlushUs_ = nowUs;
    lastState_ = game.world.GameState;
  }
  ++pass_;
  query_ = 0;
  pumpsThisPass_ = 0;
  if (next_ != nullptr) next_->PassDone(game, loop);
}

bool ReplayRecorder::Finish(const Game& game, ReplayEndReason reason) {
  if (reason != ReplayEndReason::Stopped) {
    Write(EndLine({pass_, reason, TakeWorldCheck(game)}));
  } else if (pass_ > 1) {
    Write(EndLine({pass_ - 1, reason, lastPassValues_}));
  }
  Flush();
  if (file_ != nullptr && std::fclose(std::exchange(file_, nullptr)) != 0) Stop(std::strerror(errno));
  return !failed_;
}

}  // namespace talvessa
