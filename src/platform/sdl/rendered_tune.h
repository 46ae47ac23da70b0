// A tune synthesised once and played from memory. Synthesising the tune live, pass after pass, was
// most of what the game's sound cost; here FluidSynth renders it on a thread of its own, many times
// faster than it plays and well ahead of it, with the settings SDL_mixer gives it (the device's rate,
// the player's own reverb and chorus, SDL_mixer's gain at full volume).
//
// What is kept: the first pass, and the start of the second, where the first pass's last notes and
// echoes still ring. A later pass is that start of the second, then the rest of the first. The first
// pass and the start of the second are the very samples SDL_mixer's player made of the tune.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace talvessa {

class RenderedTune {
 public:
  // Starts rendering `midi` with the bank `soundFont` at `rate` frames a second (two channels) and the
  // synthesiser's `gain`; null when the synthesiser refuses the bank or the tune.
  static std::unique_ptr<RenderedTune> Start(std::vector<std::uint8_t> midi, const std::string& soundFont,
                                             int rate, float gain);
  // Stops the render where it is.
  ~RenderedTune();
  RenderedTune(const RenderedTune&) = delete;
  RenderedTune& operator=(const RenderedTune&) = delete;

  bool Renders(std::span<const std::uint8_t> midi, int rate) const;
  // Frames in one pass; 0 while the first pass is still being rendered.
  std::size_t PassFrames() const { return passFrames_.load(std::memory_order_acquire); }
  // Whether the tune plays once and ends, rather than looping: the player stopped by itself, and
  // PassFrames() is all there is (0 for a tune that stopped before making a sound).
  bool Ends() const { return ends_.load(std::memory_order_acquire); }
  // Copies frames [at, at + count) of the first pass, or of any later one, as interleaved stereo
  // samples into `out`; gives how many it copied, fewer when the render has not got that far yet.
  std::size_t Read(bool firstPass, std::size_t at, std::size_t count, std::int16_t* out) const;

  // Puts the calling thread below the game's frames, as the render runs: it has a whole pass's time to
  // keep ahead of the play.
  static void LowerThisThread();

  // The device's buffer, in frames: the mixer opens the device with it, and the render asks FluidSynth
  // for sound in pieces of this size, as SDL_mixer's own player did.
  static constexpr int kDeviceBufferFrames = 1024;
  // The longest pass kept in memory (30 MB); a longer tune loops its first three minutes, cut there.
  static constexpr int kLongestPassSeconds = 180;
  static constexpr int kRenderNice = 10;

 private:
  struct Synth;
  RenderedTune(std::vector<std::uint8_t> midi, int rate, std::unique_ptr<Synth> synth);
  void Render();
  // Copies frames [at, at + count) of the whole render, all of them there.
  void Copy(std::size_t at, std::size_t count, std::int16_t* out) const;
  std::int16_t* Frame(std::size_t at) const;
  // Fades frames [at, at + count) of a later pass's head, already in `out`, over into the first pass.
  void CrossFade(std::size_t at, std::size_t count, std::int16_t* out) const;
  std::size_t HeadFrames(std::size_t pass) const;

  std::vector<std::uint8_t> midi_;
  int rate_;
  std::unique_ptr<Synth> synth_;
  // The render in blocks of a fixed size, every block's place made before the render starts, so that
  // the sound thread reads what is rendered while the render goes on.
  std::vector<std::unique_ptr<std::int16_t[]>> blocks_;
  std::atomic<std::size_t> renderedFrames_{0};
  std::atomic<std::size_t> passFrames_{0};
  std::atomic<bool> ends_{false};
  // The tune was longer than memory holds; set before the pass's length.
  std::atomic<bool> cut_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace talvessa
