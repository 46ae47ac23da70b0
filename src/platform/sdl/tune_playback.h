// A rendered tune played into the mix through SDL_mixer's music hook, on the sound thread: passes
// counted, rewound, stopped, at the player's volume. While hooked, SDL_mixer's own music is not heard.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/sdl/rendered_tune.h"

namespace talvessa {

class TunePlayback {
 public:
  // Hooks into the open mixer, whose samples are signed 16-bit with `channels` channels. `ended` is
  // called on the sound thread when a play has run its passes, or its tune has ended.
  TunePlayback(int channels, void (*ended)());
  // Unhooks; the sound thread no longer plays from here once this returns.
  ~TunePlayback();
  TunePlayback(const TunePlayback&) = delete;
  TunePlayback& operator=(const TunePlayback&) = delete;

  // Plays `tune` from its beginning, `passes` times over.
  void Play(std::shared_ptr<const RenderedTune> tune, int passes);
  // Back to the beginning of the first pass, as if just started.
  void Rewind();
  void Stop();
  // The samples' scale, 1 for the tune as rendered.
  void SetScale(double scale);

 private:
  static void Fill(void* self, std::uint8_t* stream, int bytes);
  void Mix(const std::int16_t* frames, std::size_t count, std::int16_t* into) const;

  const int channels_;
  void (*const ended_)();
  std::mutex mutex_;
  // Guarded by `mutex_`, shared with the sound thread.
  std::shared_ptr<const RenderedTune> tune_;
  bool playing_ = false;
  bool firstPass_ = true;
  std::size_t at_ = 0;
  int passesLeft_ = 0;
  std::int32_t scale_ = 1 << 15;
};

}  // namespace talvessa
