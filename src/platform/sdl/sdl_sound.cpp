#include "platform/sdl/sdl_sound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

#include "formats/media_checks.h"

namespace talvessa {

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;
// The longest the game waits where what follows counts on it: the device tried at start, the effects,
// and the tune's render at its opening (the game's, some 2 s of a core, is done during the logo and the
// title; one not done in time plays once it is there).
constexpr std::chrono::milliseconds kWait = 2000ms;

// The tune plays 5 dB below the effects' full scale, where FluidSynth at a gain of 1.2 puts a General
// MIDI tune at the level of the mix in platform/audio.h.
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

// The effect in `file`, at the tune's format (the mix's); null when it is missing or broken.
std::shared_ptr<const std::vector<std::int16_t>> LoadEffect(const std::string& file) {
  const auto bytes = ReadMediaFile(file);
  SDL_AudioSpec from;
  Uint8* data = nullptr;
  Uint32 size = 0;
  if (!bytes || !IsWholeWave(*bytes) ||
      !SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1, &from, &data,
                      &size))
    return nullptr;
  SDL_AudioStream* stream =
      SDL_NewAudioStream(from.format, from.channels, from.freq, AUDIO_S16SYS, 2, RenderedTune::kRate);
  const bool made = stream && SDL_AudioStreamPut(stream, data, static_cast<int>(size)) == 0 &&
                    SDL_AudioStreamFlush(stream) == 0;
  SDL_FreeWAV(data);
  auto samples = std::make_shared<std::vector<std::int16_t>>(made ? SDL_AudioStreamAvailable(stream) / 2 : 0);
  if (made) SDL_AudioStreamGet(stream, samples->data(), static_cast<int>(samples->size() * 2));
  if (stream) SDL_FreeAudioStream(stream);
  return made ? samples : nullptr;
}

void Add(std::int16_t& into, std::int32_t sample) {
  into = static_cast<std::int16_t>(std::clamp<std::int32_t>(into + sample, INT16_MIN, INT16_MAX));
}

}  // namespace

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
  if (loadingEffects_.valid()) loadingEffects_.wait();
  TakeFirstDevice(1h);
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SDL_AudioDeviceID SdlSound::OpenDevice(SdlSound* self) {
  // Everything is mixed at the tune's format; SDL converts it for the device.
  SDL_AudioSpec wanted{};
  wanted.freq = RenderedTune::kRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = Fill;
  wanted.userdata = self;
  return SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
}

void SdlSound::UseDevice(SDL_AudioDeviceID device) {
  if (device == 0) return;
  // The callback is not running yet: a new device starts the tune, and no effect, afresh.
  device_ = device;
  effect_.reset();
  tuneAt_ = 0;
  SDL_PauseAudioDevice(device_, 0);
}

void SdlSound::TakeFirstDevice(std::chrono::milliseconds bound) {
  if (firstTaken_ || firstDevice_.wait_for(bound) != std::future_status::ready) return;
  firstTaken_ = true;
  UseDevice(firstDevice_.get());
}

bool SdlSound::HasDevice() const {
  return firstDevice_.wait_for(kWait) == std::future_status::ready && firstDevice_.get() != 0;
}

void SdlSound::DeviceEvent(bool added, std::uint32_t which) {
  TakeFirstDevice(kWait);
  // SDL announces the devices there are at start: with one open there is nothing to do.
  if (added) {
    if (device_ == 0) UseDevice(OpenDevice(this));
    return;
  }
  // Removals of devices never opened come with `which` 0; any other output removal is ours.
  if (which == 0 || device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  seekGapMs_ = kFirstSeekGapMs;
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
}

void SdlSound::Pump() {
  TakeFirstDevice(0ms);
  TakeEffects(0ms);
  TakeRender(0ms);
  if (device_ != 0) seekGapMs_ = 0;
  if (seekGapMs_ == 0 || SDL_GetTicks64() < nextSeekMs_) return;
  seekGapMs_ = std::min(seekGapMs_ * 2, kLastSeekGapMs);
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
  UseDevice(OpenDevice(this));
}

template <typename Change>
void SdlSound::Locked(Change change) {
  if (device_ != 0) SDL_LockAudioDevice(device_);
  change();
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlSound::PrepareEffects(std::vector<std::string> paths) {
  loadingEffects_ = std::async(std::launch::async, [paths = std::move(paths)] {
    std::map<std::string, Samples> effects;
    for (const std::string& path : paths) effects[path] = LoadEffect(path + ".wav");
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
  if (device_ == 0 || found == effects_.end() || found->second == nullptr) return;
  Locked([&] {
    effect_ = found->second;
    effectAt_ = 0;
  });
}

void SdlSound::SilenceEffects() {
  Locked([&] { effect_.reset(); });
}

void SdlSound::Render(std::vector<std::uint8_t> midi) {
  *stopRender_ = true;
  if (rendering_.valid()) rendering_.wait();
  stopRender_ = std::make_shared<std::atomic<bool>>(false);
  renderedMidi_ = std::move(midi);
  render_ = nullptr;
  rendering_ = std::async(std::launch::async, [midi = renderedMidi_, font = soundFont_, stop = stopRender_] {
    // The tune is rendered at the player's full volume, and turned down from there.
    const float gain = kFullSynthGain * static_cast<float>(Gain(kFullVolume, kTuneShare)) / kFullGain;
    return RenderTune(midi, font, gain, *stop);
  });
}

void SdlSound::TakeRender(std::chrono::milliseconds bound) {
  if (!rendering_.valid() || rendering_.wait_for(bound) != std::future_status::ready) return;
  render_ = rendering_.get();
  LoadTune();
}

void SdlSound::LoadTune() {
  // Without its bank, or a synthesiser at all, the tune stays closed.
  if (!tune_.empty() && tune_ == renderedMidi_ && render_ == nullptr && !rendering_.valid()) tune_.clear();
  Samples samples = !tune_.empty() && tune_ == renderedMidi_ ? render_ : nullptr;
  Locked([&] {
    std::swap(tuneSamples_, samples);
    tuneAt_ = 0;
    tuneHeard_ = playing_ = playing_ && !tune_.empty();
  });
  // The samples played before are let go here, not on SDL's audio thread.
}

void SdlSound::OpenMusic(const std::string& path) {
  if (!tune_.empty()) return;
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  tune_ = std::move(*bytes);
  if (tune_ != renderedMidi_) Render(tune_);
  TakeRender(kWait);
  LoadTune();
}

void SdlSound::PrepareTune(const std::string& path) {
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (bytes && IsPlayableTune(*bytes)) Render(std::move(*bytes));
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
  TakeRender(0ms);
  if (tune_.empty()) return MusicMode::NotOpen;
  // Without a device, or before its render is there, the tune plays on in silence as far as the game knows.
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
    tuneGain_ =
        static_cast<int>(std::lround(32768.0 * Gain(volume, kTuneShare) / Gain(kFullVolume, kTuneShare)));
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
