// The sound half of the SDL backend: effects on one mixer channel and one looping tune through
// FluidSynth. Media that is missing or broken is left out in silence; nothing is reported. Without an
// audio device the game plays on silently, and the sound comes back when a device does.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio.h"

namespace talvessa {

class SdlSound final : public Audio {
 public:
  // Starts SDL's audio and opens the device if there is one; gives null when SDL has no audio at all.
  // `soundFont` is the General MIDI bank the tune is played with. Needs SDL itself initialised.
  static std::unique_ptr<SdlSound> Open(const std::string& soundFont);
  ~SdlSound() override;

  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  // `path` has no extension: the effect is `path` + ".wav". A new effect cuts the one playing.
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;

  // Opens the tune unless one is open. A tune not worth playing is refused here, and stays "not open".
  void OpenMusic(const std::string& path) override;
  // Plays the open tune from its beginning, looping it without end.
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  void SetVolume(int volume) override;
  // Whether a device is open now.
  bool HasDevice() const { return device_; }

  // An output device came or went (SDL_AUDIODEVICEADDED / SDL_AUDIODEVICEREMOVED; `which` as the event
  // gives it). Losing ours closes the mixer; a device coming while we have none is opened, and the
  // tune, if one was playing, starts again from its beginning.
  void DeviceEvent(bool added, std::uint32_t which);
  // After a loss, also looks for a device now and then by itself (after 1 s, then 2, 4, … up to 32 s
  // apart): a sound server that comes back announces no new device. Called on every event pump.
  void SeekLostDevice();

 private:
  explicit SdlSound(std::string soundFont) : soundFont_(std::move(soundFont)) {}

  bool OpenDevice();
  void CloseDevice();
  // Opens a device while there is none, and plays on with it.
  void TakeNewDevice();
  // Hands the kept tune to the mixer; forgets the tune when the mixer refuses it.
  void LoadMusic();
  // Sets the mixer's effect and tune volumes from the player's volume; an opened device needs them anew.
  void ApplyVolume() const;

  struct FreeChunk {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
  };
  using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

  std::string soundFont_;
  bool device_ = false;
  // Since losing a device: when to look for one next, and the wait after that.
  bool lost_ = false;
  std::uint64_t nextSeekMs_ = 0;
  std::uint64_t seekGapMs_ = 0;
  // The game asked for the tune to play and has not stopped it; kept while there is no device.
  bool musicPlaying_ = false;
  int volume_ = kFullVolume;
  // Every effect asked for, by path; null for one that would not load, so that it is not read again.
  std::map<std::string, Chunk> effects_;
  Mix_Music* music_ = nullptr;
  // The tune's file, which the mixer may read from for as long as the tune is open; empty when no tune
  // is open. It outlives the device, so that the tune can be played again on the next one.
  std::vector<std::uint8_t> tuneBytes_;
};

}  // namespace talvessa
