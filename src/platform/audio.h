// The audio service: sound effects on one voice, and one tune at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace talvessa {

enum class MusicMode { NotOpen, Stopped, Playing };

// The player's volume scale, shared by the command line and the volume keys: 0 is silent, kFullVolume
// plays the sounds at their own levels.
inline constexpr int kFullVolume = 10;

// The mix every backend plays: effects as their files hold them (peaking at -5 dBFS), and the tune with
// its loudest second near -26 dBFS and its peaks near -10 dBFS. Effects stand 7 dB or more above the
// tune, and an effect over the tune's loudest moment still stays below -1 dBFS. A backend sets its
// synthesiser's gain to reach these levels.

// The gain of the player's volume: 3 dB a step below kFullVolume, so that the steps sound even; 0 is
// silence.
double GainOfVolume(int volume);

// The mix's ceiling for the tune: a render louder than this in its loudest second or its highest peak is
// scaled down until it is not. The game's own tune stays below both.
inline constexpr double kTuneLoudestSecondDbfs = -24.0;
inline constexpr double kTunePeakDbfs = -8.0;
// Scales `samples` (16-bit, interleaved stereo at `rate` frames a second) down to that ceiling, if they
// are louder.
void LevelTune(std::span<std::int16_t> samples, int rate);

class Audio {
 public:
  virtual ~Audio() = default;
  // Sound effects share one voice: a new effect cuts the one playing. `path` has no extension.
  virtual void PlayEffect(const std::string& path) = 0;
  virtual void SilenceEffects() = 0;
  // One tune at a time, with the open / play / status / seek / stop / close life cycle.
  virtual void OpenMusic(const std::string& path) = 0;
  virtual void PlayMusic() = 0;
  virtual MusicMode MusicStatus() = 0;
  virtual void SeekMusicToStart() = 0;
  virtual void StopMusic() = 0;
  virtual void CloseMusic() = 0;
  // The player's volume, 0 to kFullVolume, for the sounds playing and all that follow.
  virtual void SetVolume(int volume) = 0;
};

// A machine without any sound: every command is refused without a word, and no tune is ever open.
class SilentAudio final : public Audio {
 public:
  void PlayEffect(const std::string&) override {}
  void SilenceEffects() override {}
  void OpenMusic(const std::string&) override {}
  void PlayMusic() override {}
  MusicMode MusicStatus() override { return MusicMode::NotOpen; }
  void SeekMusicToStart() override {}
  void StopMusic() override {}
  void CloseMusic() override {}
  void SetVolume(int) override {}
};

}  // namespace talvessa
