#include "platform/headless_platform.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <utility>

namespace talvessa {

namespace {

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(Options options) : options_(std::move(options)) {
  std::stable_sort(options_.script.begin(), options_.script.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.atMs < b.atMs; });
}

std::uint64_t HeadlessPlatform::ClockUs() { return std::uint64_t{options_.clockStartMs} * 1000 + elapsedUs_; }

void HeadlessPlatform::Sleep(std::uint32_t us) { elapsedUs_ += us; }

std::uint64_t HeadlessPlatform::TimerSeed() { return options_.seed; }

std::string HeadlessPlatform::ProgramFolder() {
  if (options_.programFolder) return *options_.programFolder;
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? "." : exe.parent_path().string();
}

std::uint64_t HeadlessPlatform::NextEventUs() const {
  if (nextEvent_ >= options_.script.size()) return std::numeric_limits<std::uint64_t>::max();
  return options_.script[nextEvent_].atMs * 1000;
}

void HeadlessPlatform::ApplyDueEvents() {
  while (nextEvent_ < options_.script.size() && NextEventUs() <= elapsedUs_) {
    const ScriptEvent& event = options_.script[nextEvent_++];
    switch (event.kind) {
      case ScriptEvent::Kind::KeyDown: held_.insert(event.virtualKey); break;
      case ScriptEvent::Kind::KeyUp: held_.erase(event.virtualKey); break;
      case ScriptEvent::Kind::CloseWindow: closeRequested_ = true; break;
    }
  }
}

PumpResult HeadlessPlatform::PumpEvents() {
  ++pumpCount_;
  elapsedUs_ += kPumpCostUs;
  if (options_.untilMs && elapsedUs_ >= *options_.untilMs * 1000) throw HeadlessTimeUp{};
  ApplyDueEvents();
  if (closeRequested_) {
    closeRequested_ = false;
    return PumpResult::CloseRequested;
  }
  return PumpResult::Running;
}

bool HeadlessPlatform::WaitForEvents(std::uint32_t timeoutMs) {
  const std::uint64_t timeoutEnd = elapsedUs_ + std::uint64_t{timeoutMs} * 1000;
  const std::uint64_t next = NextEventUs();
  elapsedUs_ = std::max(elapsedUs_, std::min(timeoutEnd, next));
  return next <= elapsedUs_;
}

bool HeadlessPlatform::KeyDown(int virtualKey) { return held_.contains(virtualKey); }

void HeadlessPlatform::SetKeyHeld(int virtualKey, bool held) {
  if (held) {
    held_.insert(virtualKey);
  } else {
    held_.erase(virtualKey);
  }
}

void HeadlessPlatform::Present(const WindowPicture& picture) {
  lastPicture_ = picture;
  ++presentCount_;
  if (onPresent) onPresent(lastPicture_, presentCount_);
}

void HeadlessPlatform::PlayEffect(const std::string& path) { effects_.push_back(BaseName(path)); }

void HeadlessPlatform::SilenceEffects() { effects_.push_back("silence"); }

void HeadlessPlatform::OpenMusic(const std::string& path) {
  musicCommands_.push_back("open " + BaseName(path));
  if (music_ == MusicMode::NotOpen) music_ = MusicMode::Stopped;
}

void HeadlessPlatform::PlayMusic() {
  musicCommands_.push_back("play");
  if (music_ != MusicMode::NotOpen) music_ = MusicMode::Playing;
  musicStartedUs_ = elapsedUs_;
}

MusicMode HeadlessPlatform::MusicStatus() {
  if (music_ == MusicMode::Playing && options_.tuneLengthMs &&
      elapsedUs_ - musicStartedUs_ >= *options_.tuneLengthMs * 1000) {
    music_ = MusicMode::Stopped;
  }
  return music_;
}

void HeadlessPlatform::SeekMusicToStart() { musicCommands_.push_back("seek"); }

void HeadlessPlatform::StopMusic() {
  musicCommands_.push_back("stop");
  if (music_ != MusicMode::NotOpen) music_ = MusicMode::Stopped;
}

void HeadlessPlatform::CloseMusic() {
  musicCommands_.push_back("close");
  music_ = MusicMode::NotOpen;
}

std::vector<std::string> HeadlessPlatform::TakeEffects() { return std::exchange(effects_, {}); }

std::vector<std::string> HeadlessPlatform::TakeMusicCommands() { return std::exchange(musicCommands_, {}); }

}  // namespace talvessa
