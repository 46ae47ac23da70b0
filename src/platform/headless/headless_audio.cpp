#include "platform/headless/headless_audio.h"

#include <utility>

namespace talvessa {

namespace {

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void HeadlessAudio::PlayEffect(const std::string& path) { effects_.push_back(BaseName(path)); }

void HeadlessAudio::SilenceEffects() { effects_.push_back("silence"); }

void HeadlessAudio::OpenMusic(const std::string& path) {
  musicCommands_.push_back("open " + BaseName(path));
  if (music_ == MusicMode::NotOpen) music_ = MusicMode::Stopped;
}

void HeadlessAudio::PlayMusic() {
  musicCommands_.push_back("play");
  if (music_ != MusicMode::NotOpen) music_ = MusicMode::Playing;
  musicStartedUs_ = clock_.ElapsedUs();
}

MusicMode HeadlessAudio::MusicStatus() {
  if (music_ == MusicMode::Playing && tuneLengthMs_ &&
      clock_.ElapsedUs() - musicStartedUs_ >= MsToUs(*tuneLengthMs_)) {
    music_ = MusicMode::Stopped;
  }
  return music_;
}

void HeadlessAudio::SeekMusicToStart() { musicCommands_.push_back("seek"); }

void HeadlessAudio::StopMusic() {
  musicCommands_.push_back("stop");
  if (music_ != MusicMode::NotOpen) music_ = MusicMode::Stopped;
}

void HeadlessAudio::CloseMusic() {
  musicCommands_.push_back("close");
  music_ = MusicMode::NotOpen;
}

std::vector<std::string> HeadlessAudio::TakeEffects() { return std::exchange(effects_, {}); }

std::vector<std::string> HeadlessAudio::TakeMusicCommands() { return std::exchange(musicCommands_, {}); }

}  // namespace talvessa
