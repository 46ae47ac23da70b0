#include "platform/sdl/tune_playback.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace talvessa {

namespace {

constexpr int kScaleBits = 15;
constexpr std::size_t kChunkFrames = 512;

std::int16_t Saturated(std::int32_t sample) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(sample, INT16_MIN, INT16_MAX));
}

}  // namespace

TunePlayback::TunePlayback(int channels, void (*ended)()) : channels_(channels), ended_(ended) {
  Mix_HookMusic(Fill, this);
}

TunePlayback::~TunePlayback() { Mix_HookMusic(nullptr, nullptr); }

void TunePlayback::Play(std::shared_ptr<const RenderedTune> tune, int passes) {
  std::unique_lock lock(mutex_);
  std::swap(tune_, tune);
  playing_ = true;
  firstPass_ = true;
  at_ = 0;
  passesLeft_ = passes;
  lock.unlock();
  // The tune played before, if it was the last hold on it, goes here rather than on the sound thread.
}

void TunePlayback::Rewind() {
  const std::lock_guard lock(mutex_);
  firstPass_ = true;
  at_ = 0;
}

void TunePlayback::Stop() {
  std::shared_ptr<const RenderedTune> tune;
  const std::lock_guard lock(mutex_);
  playing_ = false;
  std::swap(tune_, tune);
}

void TunePlayback::SetScale(double scale) {
  const std::lock_guard lock(mutex_);
  scale_ = static_cast<std::int32_t>(std::lround(scale * (1 << kScaleBits)));
}

void TunePlayback::Mix(const std::int16_t* frames, std::size_t count, std::int16_t* into) const {
  const auto scaled = [&](std::int16_t sample) { return (std::int32_t{sample} * scale_) >> kScaleBits; };
  for (std::size_t f = 0; f < count; ++f, frames += 2, into += channels_) {
    if (channels_ == 1) {
      into[0] = Saturated(into[0] + (scaled(frames[0]) + scaled(frames[1])) / 2);
    } else {
      into[0] = Saturated(into[0] + scaled(frames[0]));
      into[1] = Saturated(into[1] + scaled(frames[1]));
    }
  }
}

void TunePlayback::Fill(void* self, std::uint8_t* stream, int bytes) {
  TunePlayback& p = *static_cast<TunePlayback*>(self);
  const std::lock_guard lock(p.mutex_);
  auto* into = reinterpret_cast<std::int16_t*>(stream);
  std::size_t left = static_cast<std::size_t>(bytes) / (sizeof(std::int16_t) * p.channels_);
  std::array<std::int16_t, 2 * kChunkFrames> frames;
  while (p.playing_ && left > 0) {
    const RenderedTune& tune = *p.tune_;
    if (tune.Ends() && p.at_ >= tune.PassFrames()) {
      p.playing_ = false;
      p.ended_();
      break;
    }
    const std::size_t pass = tune.PassFrames();
    if (pass != 0 && p.at_ >= pass) {
      if (--p.passesLeft_ <= 0) {
        p.playing_ = false;
        p.ended_();
        break;
      }
      p.firstPass_ = false;
      p.at_ = 0;
      continue;
    }
    const std::size_t want = std::min(left, kChunkFrames);
    const std::size_t got = tune.Read(p.firstPass_, p.at_, want, frames.data());
    p.Mix(frames.data(), got, into);
    into += got * p.channels_;
    left -= got;
    p.at_ += got;
    // Behind the render (only ever at the very start, on a machine too busy): the rest stays silent.
    if (got == 0 && (pass == 0 || p.at_ < pass) && !tune.Ends()) break;
  }
}

}  // namespace talvessa
