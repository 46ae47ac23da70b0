#include "platform/sdl/sdl_sound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <thread>
#include <utility>

#include "formats/media_checks.h"

namespace talvessa {

namespace {

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;
// How long the game waits where what follows counts on it: the device tried at start, and the tune's
// render when the tune opens (the game's, some 2 s of a core, is rendered during the logo and the title;
// a render not done in time is played once it is there).
constexpr std::chrono::milliseconds kWait{2000};
// How long after start-up a tune prepared then begins rendering: past the logo's first pictures (reading
// the bank at once delayed them on a busy machine), and soon enough to be done before the first play.
constexpr std::chrono::milliseconds kPrepareDelay{200};

// The tune plays 5 dB below the effects' full scale, and FluidSynth at a gain of 1.2 makes a General MIDI
// tune sound at the level of the mix in platform/audio.h at that share.
constexpr double kTuneShare = 0.56;
constexpr float kFullSynthGain = 1.2f;
// Each step of the player's volume is 3 dB, so that the steps sound even; 0 is silence.
constexpr double kStepDb = 3.0;
constexpr int kFullGain = 128;

int Gain(int volume, double share) {
  if (volume <= 0) return 0;
  const double gain = share * std::pow(10.0, kStepDb * (volume - kFullVolume) / 20.0);
  return std::max(1, static_cast<int>(std::lround(gain * kFullGain)));
}

// The tune is rendered at the player's full volume and scaled down from there.
float RenderGain() { return kFullSynthGain * static_cast<float>(Gain(kFullVolume, kTuneShare)) / kFullGain; }

using Samples = std::shared_ptr<const std::vector<std::int16_t>>;

// `size` bytes of sound in the format `from`, in the format `to`; null when SDL cannot convert them.
Samples Converted(const SDL_AudioSpec& from, const Uint8* data, std::size_t size, const SDL_AudioSpec& to) {
  SDL_AudioCVT cvt;
  const int built =
      SDL_BuildAudioCVT(&cvt, from.format, from.channels, from.freq, to.format, to.channels, to.freq);
  if (built < 0) return nullptr;
  std::vector<Uint8> buffer(size * static_cast<std::size_t>(cvt.len_mult));
  std::memcpy(buffer.data(), data, size);
  cvt.buf = buffer.data();
  cvt.len = static_cast<int>(size);
  if (built == 1 && SDL_ConvertAudio(&cvt) != 0) return nullptr;
  auto samples = std::make_shared<std::vector<std::int16_t>>((built == 1 ? cvt.len_cvt : cvt.len) / 2);
  std::memcpy(samples->data(), buffer.data(), samples->size() * 2);
  return samples;
}

// The effect in `file`, in the format `device`; null when it is missing or broken.
Samples LoadEffect(const std::string& file, const SDL_AudioSpec& device) {
  const auto bytes = ReadMediaFile(file);
  if (!bytes || !IsWholeWave(*bytes)) return nullptr;
  SDL_AudioSpec spec;
  Uint8* data = nullptr;
  Uint32 size = 0;
  if (SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1, &spec, &data,
                     &size) == nullptr) {
    return nullptr;
  }
  auto samples = Converted(spec, data, size, device);
  SDL_FreeWAV(data);
  return samples;
}

// The tune's render, and the format the device is asked for.
SDL_AudioSpec Rendered() {
  SDL_AudioSpec spec{};
  spec.freq = RenderedTune::kRate;
  spec.format = AUDIO_S16SYS;
  spec.channels = 2;
  return spec;
}

void Add(std::int16_t& into, std::int32_t sample) {
  into = static_cast<std::int16_t>(std::clamp<std::int32_t>(into + sample, INT16_MIN, INT16_MAX));
}

}  // namespace

SdlSound::SdlSound(std::string soundFont) : soundFont_(std::move(soundFont)) {}

std::unique_ptr<SdlSound> SdlSound::Open(const std::string& soundFont) {
  // A device that cannot open must not take the window down with it, so audio starts on its own.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  std::unique_ptr<SdlSound> sound(new SdlSound(soundFont));
  sound->SetVolume(kFullVolume);
  sound->firstDevice_ = std::async(std::launch::async, OpenDevice, sound.get()).share();
  return sound;
}

SdlSound::~SdlSound() {
  *stopRender_ = true;
  if (rendering_.valid()) rendering_.wait();
  TakeFirstDevice(std::chrono::hours(1));
  CloseDevice();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SdlSound::Device SdlSound::OpenDevice(SdlSound* self) {
  SDL_AudioSpec wanted = Rendered();
  wanted.samples = 1024;
  wanted.callback = Fill;
  wanted.userdata = self;
  Device device;
  device.id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &device.spec,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  return device;
}

void SdlSound::UseDevice(Device device) {
  if (device.id == 0) return;
  device_ = device;
  LoadEffects();
  LoadTune();
  SDL_PauseAudioDevice(device_.id, 0);
}

void SdlSound::CloseDevice() {
  if (device_.id == 0) return;
  SDL_CloseAudioDevice(device_.id);
  device_ = {};
  // Effects were made for this device; the tune's render is kept.
  loadingEffects_ = {};
  effects_.clear();
  effect_.reset();
  tuneSamples_.reset();
}

void SdlSound::TakeFirstDevice(std::chrono::milliseconds bound) {
  if (firstTaken_ || firstDevice_.wait_for(bound) != std::future_status::ready) return;
  firstTaken_ = true;
  UseDevice(firstDevice_.get());
}

bool SdlSound::HasDevice() const {
  return firstDevice_.wait_for(kWait) == std::future_status::ready && firstDevice_.get().id != 0;
}

void SdlSound::DeviceEvent(bool added, std::uint32_t which) {
  TakeFirstDevice(kWait);
  if (added) {
    // SDL announces the devices there are at start: with one open there is nothing to do.
    if (device_.id == 0) UseDevice(OpenDevice(this));
    return;
  }
  // Removals of devices never opened come with `which` 0; any other output removal is ours.
  if (which == 0 || device_.id == 0) return;
  CloseDevice();
  lost_ = true;
  seekGapMs_ = kFirstSeekGapMs;
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
}

void SdlSound::Pump() {
  TakeFirstDevice(std::chrono::milliseconds(0));
  TakeEffects(std::chrono::milliseconds(0));
  TakeRender(std::chrono::milliseconds(0));
  if (!lost_) return;
  if (device_.id != 0) {
    lost_ = false;
    return;
  }
  if (SDL_GetTicks64() < nextSeekMs_) return;
  seekGapMs_ = std::min(seekGapMs_ * 2, kLastSeekGapMs);
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
  UseDevice(OpenDevice(this));
}

template <typename Change>
void SdlSound::Locked(Change change) {
  if (device_.id != 0) SDL_LockAudioDevice(device_.id);
  change();
  if (device_.id != 0) SDL_UnlockAudioDevice(device_.id);
}

void SdlSound::PrepareEffects(std::vector<std::string> paths) {
  effectFiles_ = std::move(paths);
  LoadEffects();
}

void SdlSound::LoadEffects() {
  loadingEffects_ = {};
  effects_.clear();
  if (device_.id == 0) return;
  loadingEffects_ = std::async(std::launch::async, [files = effectFiles_, spec = device_.spec] {
    std::map<std::string, Samples> effects;
    for (const std::string& file : files) effects[file] = LoadEffect(file + ".wav", spec);
    return effects;
  });
}

void SdlSound::TakeEffects(std::chrono::milliseconds bound) {
  if (loadingEffects_.valid() && loadingEffects_.wait_for(bound) == std::future_status::ready)
    effects_ = loadingEffects_.get();
}

void SdlSound::PlayEffect(const std::string& path) {
  TakeFirstDevice(kWait);
  TakeEffects(kWait);
  const auto found = effects_.find(path);
  if (found == effects_.end() || found->second == nullptr) return;
  Locked([&] {
    effect_ = found->second;
    effectAt_ = 0;
  });
}

void SdlSound::SilenceEffects() {
  Locked([&] { effect_.reset(); });
}

void SdlSound::Render(std::vector<std::uint8_t> midi, std::chrono::milliseconds delay) {
  *stopRender_ = true;
  if (rendering_.valid()) rendering_.wait();
  stopRender_ = std::make_shared<std::atomic<bool>>(false);
  renderingMidi_ = midi;
  rendering_ = std::async(std::launch::async, [midi = std::move(midi), font = soundFont_, stop = stopRender_,
                                               delay]() mutable {
    for (auto waited = std::chrono::milliseconds(0); waited < delay && !*stop; waited += delay / 50) {
      std::this_thread::sleep_for(delay / 50);
    }
    return RenderTune(std::move(midi), font, RenderGain(), *stop);
  });
}

void SdlSound::TakeRender(std::chrono::milliseconds bound) {
  if (!rendering_.valid() || rendering_.wait_for(bound) != std::future_status::ready) return;
  std::shared_ptr<const RenderedTune> done = rendering_.get();
  if (done == nullptr) {
    // Without its bank of sounds, or a synthesiser at all, the tune stays closed.
    if (renderingMidi_ == tune_) CloseMusic();
    return;
  }
  render_ = std::move(done);
  LoadTune();
}

void SdlSound::LoadTune() {
  Samples samples;
  if (device_.id != 0 && !tune_.empty() && render_ != nullptr && render_->midi == tune_) {
    if (device_.spec.freq == RenderedTune::kRate && device_.spec.channels == 2) {
      samples = Samples(render_, &render_->samples);
    } else {
      samples = Converted(Rendered(), reinterpret_cast<const Uint8*>(render_->samples.data()),
                          render_->samples.size() * 2, device_.spec);
    }
  }
  Locked([&] {
    std::swap(tuneSamples_, samples);
    tuneAt_ = 0;
    tuneHeard_ = playing_;
  });
  // The samples played before go here, not on SDL's audio thread.
}

void SdlSound::OpenMusic(const std::string& path) {
  if (!tune_.empty()) return;
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  tune_ = std::move(*bytes);
  TakeRender(std::chrono::milliseconds(0));
  const bool rendered = render_ != nullptr && render_->midi == tune_;
  if (!rendered && !(rendering_.valid() && renderingMidi_ == tune_)) Render(tune_, std::chrono::milliseconds(0));
  if (rendered) LoadTune();
  TakeRender(kWait);
}

void SdlSound::PrepareTune(const std::string& path) {
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (bytes && IsPlayableTune(*bytes)) Render(std::move(*bytes), kPrepareDelay);
}

void SdlSound::PlayMusic() {
  if (tune_.empty()) return;
  playing_ = true;
  Locked([&] {
    tuneAt_ = 0;
    tuneHeard_ = true;
  });
}

MusicMode SdlSound::MusicStatus() {
  TakeRender(std::chrono::milliseconds(0));
  if (tune_.empty()) return MusicMode::NotOpen;
  // Without a device, or before its render is there, the tune plays on in silence as far as the game
  // can tell.
  return playing_ ? MusicMode::Playing : MusicMode::Stopped;
}

void SdlSound::SeekMusicToStart() {
  Locked([&] { tuneAt_ = 0; });
}

void SdlSound::StopMusic() {
  playing_ = false;
  Locked([&] { tuneHeard_ = false; });
}

void SdlSound::CloseMusic() {
  StopMusic();
  tune_.clear();
  LoadTune();
}

void SdlSound::SetVolume(int volume) {
  volume = std::clamp(volume, 0, kFullVolume);
  Locked([&] {
    effectGain_ = Gain(volume, 1.0);
    tuneGain_ = static_cast<int>(std::lround(32768.0 * Gain(volume, kTuneShare) / Gain(kFullVolume, kTuneShare)));
  });
}

void SdlSound::Fill(void* self, Uint8* stream, int bytes) {
  SdlSound& sound = *static_cast<SdlSound*>(self);
  const std::span out(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(bytes) / 2);
  std::ranges::fill(out, 0);
  if (sound.tuneHeard_ && sound.tuneSamples_ != nullptr && !sound.tuneSamples_->empty()) {
    const std::vector<std::int16_t>& tune = *sound.tuneSamples_;
    for (std::int16_t& sample : out) {
      Add(sample, (std::int32_t{tune[sound.tuneAt_]} * sound.tuneGain_) >> 15);
      if (++sound.tuneAt_ == tune.size()) sound.tuneAt_ = 0;
    }
  }
  if (sound.effect_ != nullptr) {
    const std::vector<std::int16_t>& effect = *sound.effect_;
    const std::size_t count = std::min(out.size(), effect.size() - sound.effectAt_);
    for (std::size_t i = 0; i < count; ++i)
      Add(out[i], std::int32_t{effect[sound.effectAt_ + i]} * sound.effectGain_ / kFullGain);
    sound.effectAt_ += count;
    // The effect's samples stay in the cache: this drops no last hold on them.
    if (sound.effectAt_ == effect.size()) sound.effect_.reset();
  }
}

}  // namespace talvessa
