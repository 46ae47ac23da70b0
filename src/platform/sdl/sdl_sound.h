// The sound half of the SDL backend: effects on one voice and one looping tune, mixed in SDL's audio
// callback at the tune's format (SDL converts for the device). The tune is synthesised once, on a thread
// (rendered_tune.h). Missing or broken media is left out in silence. Without a device the game plays on
// silently, and the sound comes back with a device.
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

namespace talvessa {

class SdlSound final : public Audio {
 public:
  // Starts SDL's audio and opens the device on a thread; null when SDL has no audio at all. `soundFont`
  // is the General MIDI bank the tune is played with.
  static std::unique_ptr<SdlSound> Open(const std::string& soundFont);
  ~SdlSound() override;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  // On threads: reads the effects (each `path` + ".wav"); renders a tune the game opens later.
  void PrepareEffects(std::vector<std::string> paths);
  void PrepareTune(const std::string& path);
  // Whether a device opened at start; waits a bounded time for it to have been tried. Safe on any thread.
  bool HasDevice() const;
  // An output device came or went (`which` as SDL's event gives it): ours lost is closed at once; one
  // coming while we have none is opened, and a playing tune starts again from its beginning.
  void DeviceEvent(bool added, std::uint32_t which);
  // At every event pump: takes a finished render, and after a loss looks for a device now and then
  // (1 s, 2, 4, … 32 s apart): a sound server that comes back announces none.
  void Pump();

  // An effect asked for before the device and the effects are there plays once they are; a tune's
  // opening waits a bounded time for its render; a tune not worth playing is refused at its opening, and
  // one the synthesiser refuses is closed.
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;
  void OpenMusic(const std::string& path) override;
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  void SetVolume(int volume) override;

 private:
  using Samples = std::shared_ptr<const std::vector<std::int16_t>>;
  explicit SdlSound(std::string soundFont) : soundFont_(std::move(soundFont)) {}
  SDL_AudioDeviceID OpenDevice();
  void UseDevice(SDL_AudioDeviceID device);
  void TakeFirstDevice(std::chrono::milliseconds bound);
  void Render(std::vector<std::uint8_t> midi);
  // Hands the open tune's render to the mix once it is there; a refused one closes the tune.
  void TakeRender(std::chrono::milliseconds bound);
  // Runs `change` on what SDL's audio thread shares, holding it off meanwhile.
  template <typename Change>
  void Locked(Change change);
  static void Fill(void* self, Uint8* stream, int bytes);

  const std::string soundFont_;
  std::shared_future<SDL_AudioDeviceID> firstDevice_;
  bool firstTaken_ = false;
  SDL_AudioDeviceID device_ = 0;
  // After a loss: when to look for a device next, and the wait after that (0 when none is lost).
  std::uint64_t nextSeekMs_ = 0;
  std::uint64_t seekGapMs_ = 0;
  // The effects by path, null for one that would not load.
  std::shared_future<std::map<std::string, Samples>> effects_;
  std::string pendingEffect_;  // asked for before they were there
  // The open tune's file (empty when none is open), and whether the mix has its render; the file last
  // given to the synthesiser and its render (null if refused), kept for the next game.
  std::vector<std::uint8_t> tune_;
  bool tuneTaken_ = false;
  std::vector<std::uint8_t> renderedMidi_;
  std::shared_future<Samples> render_;
  std::shared_ptr<std::atomic<bool>> stopRender_ = std::make_shared<std::atomic<bool>>(false);

  // Shared with SDL's audio thread, under its device lock (only this thread changes them).
  Samples effect_;
  std::size_t effectAt_ = 0;
  Samples tuneSamples_;
  std::size_t tuneAt_ = 0;
  bool playing_ = false;
  float gain_ = 0;  // of the player's volume
};

}  // namespace talvessa
