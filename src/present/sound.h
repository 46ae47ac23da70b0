// Sound effects "se0" … "se8" and the tune "bg1.mid", all in the data folder "da/" beside the program.
// Nothing here reports a failure: a missing file or device only leaves the sound out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"
#include "world/world.h"

namespace talvessa {

// The tunes by their number in the music table.
enum class Tune { Play = 1 };

class Sound final : public EffectPlayer {
 public:
  // `appFolder` ends in one separator and is read at every call, so it may be set later. The clock
  // times the retries of a tune that keeps stopping.
  Sound(Audio& audio, Clock& clock, const std::string& appFolder)
      : audio_(audio), clock_(clock), appFolder_(appFolder) {}

  // The effect's file of the table ("se0" …); the new effect cuts the one playing.
  void PlayEffect(Effect effect) override;
  // Cuts whatever effect is playing.
  void SilenceEffects();

  // Opens the tune of play, "bg1.mid" (the only tune of the music table).
  void OpenMusic(Tune tune);
  void PlayMusic();
  void StopMusic();
  void CloseMusic();
  // Rewinds and restarts the tune when it has played to its end. A tune that keeps stopping soon
  // after it starts (a damaged file plays for a moment and stops) is tried again after 1 s, then
  // 2 s, 4 s … up to a minute, not reloaded on every frame.
  void KeepMusicLooping();
  // The file of a tune of the music table under the program's folder, for a backend to prepare ahead.
  static std::string TuneFile(const std::string& appFolder, Tune tune);
  // The files of every effect of the table (without extension, as PlayEffect names them), to load ahead.
  static std::vector<std::string> EffectFiles(const std::string& appFolder);
  // The full path of the tune last opened.
  const std::string& MusicPath() const { return musicPath_; }

 private:
  std::string DataPath(const char* name) const;

  Audio& audio_;
  Clock& clock_;
  const std::string& appFolder_;
  std::string musicPath_;
  std::uint64_t startedUs_ = 0;  // when the tune was last started
  std::uint64_t holdOffUs_ = kFirstHoldOffUs;

  static constexpr std::uint64_t kFirstHoldOffUs = 1'000'000;
  static constexpr std::uint64_t kLongestHoldOffUs = 64'000'000;
};

}  // namespace talvessa
