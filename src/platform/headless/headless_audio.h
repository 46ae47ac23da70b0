// The headless audio: sound commands are recorded by name, and a tune plays for as long as it is told to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/headless/headless_clock.h"

namespace talvessa {

class HeadlessAudio final : public Audio {
 public:
  // `tuneLengthMs` is how long a tune plays before it stops by itself; by default it loops without end.
  HeadlessAudio(HeadlessClock& clock, std::optional<std::uint64_t> tuneLengthMs)
      : clock_(clock), tuneLengthMs_(tuneLengthMs) {}

  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;
  void OpenMusic(const std::string& path) override;
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  // Nothing is heard here, so the player's volume changes nothing that is recorded.
  void SetVolume(int) override {}

  // Sound effects ("se0" …, and "silence" when the closing window cuts them) and music commands
  // ("open bg1.mid", "play", "seek", "stop", "close") issued since the last call.
  std::vector<std::string> TakeEffects();
  std::vector<std::string> TakeMusicCommands();

 private:
  HeadlessClock& clock_;
  std::optional<std::uint64_t> tuneLengthMs_;
  MusicMode music_ = MusicMode::NotOpen;
  std::uint64_t musicStartedUs_ = 0;
  std::vector<std::string> effects_;
  std::vector<std::string> musicCommands_;
};

}  // namespace talvessa
