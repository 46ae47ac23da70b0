// The sound half of the SDL backend: effects on one mixer channel and one looping tune, synthesised
// once by FluidSynth and played from memory. Media that is missing or broken is left out in silence; nothing
// is reported. Without an audio device the game plays on silently, and the sound comes back when a device
// does.
//
// The game never waits on the sound: every call into the mixer runs on a thread of its own, in order,
// and what the game asks of the tune is answered from what it asked for and what the mixer reported.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <set>
#include <string>

#include "platform/audio.h"
#include "platform/sdl/mixer_worker.h"

namespace talvessa {

class SdlSound final : public Audio {
 public:
  // Starts SDL's audio and opens the device if there is one; gives null when SDL has no audio at all.
  // `soundFont` is the General MIDI bank the tune is played with. Needs SDL itself initialised.
  static std::unique_ptr<SdlSound> Open(const std::string& soundFont);
  // Waits a bounded time for the mixer to close; a mixer held by its sound thread beyond that is left
  // open to the end of the process rather than hold the game's ending.
  ~SdlSound() override;

  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  // `path` has no extension: the effect is `path` + ".wav". A new effect cuts the one playing.
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;

  // Opens the tune unless one is open, waiting for the mixer to load it. A tune not worth
  // playing is refused here, and stays "not open"; one the mixer then refuses is "not open" from the
  // next status on.
  void OpenMusic(const std::string& path) override;
  // Starts synthesising a tune the game will open later, while it has other things to do; opening it
  // then costs nothing. Nothing is heard, and a tune not worth playing is left alone.
  void PrepareTune(const std::string& path);
  // Plays the open tune from its beginning, looping it.
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  void SetVolume(int volume) override;
  // Whether a device is open now; waits, a bounded time, for the first one to have been tried. Safe on
  // any thread.
  bool HasDevice() const;

  // An output device came or went (SDL_AUDIODEVICEADDED / SDL_AUDIODEVICEREMOVED; `which` as the event
  // gives it). Losing ours closes the mixer before this returns; a device coming while we have none is
  // opened, and the tune, if one was playing, starts again from its beginning.
  void DeviceEvent(bool added, std::uint32_t which);
  // After a loss, also looks for a device now and then by itself (after 1 s, then 2, 4, … up to 32 s
  // apart): a sound server that comes back announces no new device. Called on every event pump.
  void SeekLostDevice();

 private:
  class Mixer;
  explicit SdlSound(const std::string& soundFont);
  // Waits for the jobs handed to the mixer so far, for a bounded time, unless it is held.
  void AwaitMixer();

  // What the mixer's thread owns; the game only hands it jobs and reads its reports.
  std::shared_ptr<Mixer> mixer_;
  // Since losing a device: when to look for one next, and the wait after that.
  bool lost_ = false;
  std::uint64_t nextSeekMs_ = 0;
  std::uint64_t seekGapMs_ = 0;
  // The open tune's number (0 when none is open), and the play the game asked for last.
  std::uint64_t tune_ = 0;
  std::uint64_t play_ = 0;
  // The game asked for the tune to play and has not stopped it.
  bool musicPlaying_ = false;
  // Effects asked for so far, by path.
  std::set<std::string> effectsAsked_;
  // The mixer did not answer a wait in time.
  bool held_ = false;
  // Ready once the mixer has tried the device at start.
  std::shared_future<void> firstDevice_;
  MixerWorker worker_;
};

}  // namespace talvessa
