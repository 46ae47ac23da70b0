// The sound half of the SDL backend: effects on one voice and one looping tune, mixed in SDL's own audio
// callback. The tune is synthesised once, whole, on a thread of its own (see rendered_tune.h) and loops
// from memory. Media that is missing or broken is left out in silence; nothing is reported. Without an
// audio device the game plays on silently, and the sound comes back when a device does.
#pragma once

#include <SDL_audio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/sdl/rendered_tune.h"

namespace talvessa {

class SdlSound final : public Audio {
 public:
  // Starts SDL's audio and opens the device, on a thread of its own, if there is one; gives null when SDL
  // has no audio at all. `soundFont` is the General MIDI bank the tune is played with.
  static std::unique_ptr<SdlSound> Open(const std::string& soundFont);
  ~SdlSound() override;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  // The effects the game plays, each a path without extension (the file is `path` + ".wav"): they are read
  // and made ready for the device on a thread of their own, now and whenever a device opens.
  void PrepareEffects(std::vector<std::string> paths);
  // Plays a prepared effect, waiting a bounded time for it to be ready; a new effect cuts the one playing.
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;
  // Opens the tune unless one is open, waiting a bounded time for its render; a tune not worth playing
  // is refused here, and one the synthesiser refuses is "not open" from then on.
  void OpenMusic(const std::string& path) override;
  // Starts rendering a tune the game will open later, once the first pictures are shown.
  void PrepareTune(const std::string& path);
  // Plays the open tune from its beginning, looping it.
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  void SetVolume(int volume) override;
  // Whether a device opened at start; waits, a bounded time, for it to have been tried. Safe on any thread.
  bool HasDevice() const;

  // An output device came or went (SDL_AUDIODEVICEADDED / SDL_AUDIODEVICEREMOVED; `which` as the event
  // gives it). Losing ours closes it before this returns; a device coming while we have none is opened,
  // and the tune, if one was playing, starts again from its beginning.
  void DeviceEvent(bool added, std::uint32_t which);
  // Called on every event pump: takes the device, the effects and the tune's render once each is ready,
  // and after a loss looks for a device now and then by itself (after 1 s, then 2, 4, … up to 32 s
  // apart): a sound server that comes back announces no new device.
  void Pump();

 private:
  using Samples = std::shared_ptr<const std::vector<std::int16_t>>;
  struct Device {
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec{};
  };
  explicit SdlSound(std::string soundFont);
  static Device OpenDevice(SdlSound* self);
  void UseDevice(Device device);
  void CloseDevice();
  // Takes the device opened at start once it is there; waits for it at most `bound`.
  void TakeFirstDevice(std::chrono::milliseconds bound);
  void Render(std::vector<std::uint8_t> midi, std::chrono::milliseconds delay);
  // Takes a finished render, waiting for it at most `bound`; closes the tune if it was refused.
  void TakeRender(std::chrono::milliseconds bound);
  // The tune's render, in the device's format, from its beginning if it is playing.
  void LoadTune();
  // Starts reading the effects for the device, if there is one.
  void LoadEffects();
  // Takes the effects once they are ready, waiting for them at most `bound`.
  void TakeEffects(std::chrono::milliseconds bound);
  // Runs `change` on what SDL's audio thread shares, holding it off meanwhile.
  template <typename Change>
  void Locked(Change change);
  static void Fill(void* self, Uint8* stream, int bytes);

  const std::string soundFont_;
  std::shared_future<Device> firstDevice_;
  bool firstTaken_ = false;
  Device device_;
  // Since losing a device: when to look for one next, and the wait after that.
  bool lost_ = false;
  std::uint64_t nextSeekMs_ = 0;
  std::uint64_t seekGapMs_ = 0;
  // The prepared effects, by path, in the device's format; null for one that would not load.
  std::vector<std::string> effectFiles_;
  std::map<std::string, Samples> effects_;
  std::future<std::map<std::string, Samples>> loadingEffects_;
  // The open tune's file, empty when none is open; the last render, kept for the next game.
  std::vector<std::uint8_t> tune_;
  std::shared_ptr<const RenderedTune> render_;
  std::future<std::shared_ptr<const RenderedTune>> rendering_;
  std::vector<std::uint8_t> renderingMidi_;
  std::shared_ptr<std::atomic<bool>> stopRender_ = std::make_shared<std::atomic<bool>>(false);
  // The game asked for the tune to play and has not stopped it.
  bool playing_ = false;

  // Shared with SDL's audio thread, under its device lock.
  Samples effect_;
  std::size_t effectAt_ = 0;
  Samples tuneSamples_;
  std::size_t tuneAt_ = 0;
  bool tuneHeard_ = false;
  int effectGain_ = 0;  // of 128
  int tuneGain_ = 0;    // of 1 << 15
};

}  // namespace talvessa
