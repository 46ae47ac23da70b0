#include "platform/sdl/sdl_sound.h"

#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>

#include "formats/media_checks.h"
#include "platform/sdl/rendered_tune.h"

namespace talvessa {

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;
// The longest the game waits where what follows counts on it: the device tried at start, and the tune's
// render at its opening (the game's, some 2 s of a core, is done during the logo and the
// title; one not done in time plays once it is there).
constexpr std::chrono::milliseconds kWait = 2000ms;
// The tune plays 5 dB below the effects' full scale (a share of 0.5625), where FluidSynth at a gain of
// 1.2 puts a General MIDI tune at the level of the mix in platform/audio.h. The page's tune is rendered at
// the same gain (cmake/web_page.cmake).
constexpr float kTuneSynthGain = 1.2f * 0.5625f;

template <typename Result>
bool Ready(const std::shared_future<Result>& future, std::chrono::milliseconds bound) {
  return future.valid() && future.wait_for(bound) == std::future_status::ready;
}

// `work` on a thread of its own. Without one (the address space or the count of threads at its limit)
// the work is left out: `fallback` at once, and a line saying what the game goes without.
template <typename Work, typename Result = std::invoke_result_t<Work>>
std::shared_future<Result> OnThread(Work work, Result fallback, const char* leftOut) {
  try {
    return std::async(std::launch::async, std::move(work)).share();
  } catch (const std::exception&) {  // std::system_error, or std::bad_alloc for its state
    if (leftOut != nullptr) std::fprintf(stderr, "talvessa: no thread could start; %s\n", leftOut);
    std::promise<Result> done;
    done.set_value(std::move(fallback));
    return done.get_future().share();
  }
}

// The render takes a core for seconds: it yields to the game's frames, which must come on time.
void LowerThisThreadsPriority() {
  constexpr int kBelowTheGame = 10;
  const auto thread = static_cast<id_t>(gettid());
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, thread);
  if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(nice + kBelowTheGame, 19));
}

// Float samples that are not numbers, or infinite, would reach the mix at full scale, and spread to
// their neighbours in a change of rate: they are silence.
void SilenceNonFinite(Uint8* data, Uint32 size) {
  for (Uint32 at = 0; at + 4 <= size; at += 4) {
    float sample = 0;
    std::memcpy(&sample, data + at, 4);
    if (!std::isfinite(sample)) std::memset(data + at, 0, 4);
  }
}

// The effect in `file`, at the tune's format (the mix's); null when it is missing or broken.
std::shared_ptr<const std::vector<std::int16_t>> LoadEffect(const std::string& file) {
  auto bytes = ReadMediaFile(file);
  const std::optional<WaveSound> sound = bytes ? WholeWave(*bytes) : std::nullopt;
  if (!sound) return nullptr;
  // A data size that runs to the end of the file is given as the bytes there are: SDL would first ask
  // for as much memory as it says.
  for (int i = 0; i < 4; ++i)
    (*bytes)[sound->sizeField + i] = static_cast<std::uint8_t>(sound->bytes >> (8 * i));
  SDL_AudioSpec from;
  Uint8* data = nullptr;
  Uint32 size = 0;
  if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1, &from, &data,
                      &size))
    return nullptr;
  if (from.format == AUDIO_F32SYS) SilenceNonFinite(data, size);
  SDL_AudioStream* stream =
      SDL_NewAudioStream(from.format, from.channels, from.freq, AUDIO_S16SYS, 2, RenderedTune::kRate);
  const bool made = stream && SDL_AudioStreamPut(stream, data, static_cast<int>(size)) == 0 &&
                    SDL_AudioStreamFlush(stream) == 0;
  SDL_FreeWAV(data);
  auto samples = std::make_shared<std::vector<std::int16_t>>(made ? SDL_AudioStreamAvailable(stream) / 2 : 0);
  if (made) SDL_AudioStreamGet(stream, samples->data(), static_cast<int>(samples->size() * 2));
  SDL_FreeAudioStream(stream);
  return made ? samples : nullptr;
}

void Add(std::int16_t& into, float sample) {
  into = static_cast<std::int16_t>(
      std::clamp<std::int32_t>(into + static_cast<std::int32_t>(sample), INT16_MIN, INT16_MAX));
}

}  // namespace

std::unique_ptr<SdlSound> SdlSound::Open(const std::string& soundFont) {
  // A device that cannot open must not take the window down with it, so audio starts on its own.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  // FluidSynth reads a bank's samples on threads of OpenMP, whose library ends the process when one
  // cannot start (in a tight address space); on one thread it starts none. Set before the library opens
  // with the first render, and before any thread of ours reads the environment.
  setenv("OMP_NUM_THREADS", "1", 1);
  std::unique_ptr<SdlSound> sound(new SdlSound(soundFont));
  sound->SetVolume(kFullVolume);
  // Without a thread there is no device: the game says so, and plays without sound.
  sound->firstDevice_ =
      OnThread([self = sound.get()] { return self->OpenDevice(); }, SDL_AudioDeviceID{0}, nullptr);
  return sound;
}

SdlSound::~SdlSound() {
  *stopRender_ = true;
  if (render_.valid()) render_.wait();
  if (effects_.valid()) effects_.wait();
  TakeFirstDevice(1h);
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SDL_AudioDeviceID SdlSound::OpenDevice() {
  // Everything is mixed at the tune's format; SDL converts it for the device.
  SDL_AudioSpec wanted{RenderedTune::kRate, AUDIO_S16SYS, 2, 0, 1024, 0, 0, Fill, this};
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
  if (firstTaken_ || !Ready(firstDevice_, bound)) return;
  firstTaken_ = true;
  UseDevice(firstDevice_.get());
}

bool SdlSound::HasDevice() const { return Ready(firstDevice_, kWait) && firstDevice_.get() != 0; }

void SdlSound::DeviceEvent(bool added, std::uint32_t which) {
  TakeFirstDevice(kWait);
  // SDL announces the devices there are at start: with one open there is nothing to do.
  if (added) {
    if (device_ == 0) UseDevice(OpenDevice());
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
  TakeRender(0ms);
  if (!pendingEffect_.empty() && firstTaken_ && Ready(effects_, 0ms))
    PlayEffect(std::exchange(pendingEffect_, {}));
  if (device_ != 0) seekGapMs_ = 0;
  if (seekGapMs_ == 0 || SDL_GetTicks64() < nextSeekMs_) return;
  seekGapMs_ = std::min(seekGapMs_ * 2, kLastSeekGapMs);
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
  UseDevice(OpenDevice());
}

template <typename Change>
void SdlSound::Locked(Change change) {
  if (device_ != 0) SDL_LockAudioDevice(device_);
  change();
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlSound::PrepareEffects(std::vector<std::string> paths) {
  effects_ = OnThread(
      [paths = std::move(paths)] {
        std::map<std::string, Samples> effects;
        bool told = false;
        for (const std::string& path : paths) {
          try {
            effects[path] = LoadEffect(path + ".wav");
          } catch (const std::bad_alloc&) {  // left out of the map, which would need memory for it
            if (!std::exchange(told, true))
              std::fputs("talvessa: too little memory for every effect; some are left out\n", stderr);
          }
        }
        return effects;
      },
      std::map<std::string, Samples>(), "the game plays without its effects");
}

void SdlSound::PlayEffect(const std::string& path) {
  // Neither the device nor the effects are waited for in a frame: an effect asked for before both are
  // there plays once they are (the last one asked for, as a new effect cuts the one playing).
  TakeFirstDevice(0ms);
  if (!firstTaken_ || !Ready(effects_, 0ms)) {
    pendingEffect_ = path;
    return;
  }
  if (device_ == 0) return;
  const auto found = effects_.get().find(path);
  if (found == effects_.get().end() || found->second == nullptr) return;
  Locked([&] {
    effect_ = found->second;
    effectAt_ = 0;
  });
}

void SdlSound::SilenceEffects() {
  pendingEffect_.clear();
  Locked([&] { effect_.reset(); });
}

void SdlSound::Render(std::vector<std::uint8_t> midi) {
  *stopRender_ = true;
  if (render_.valid()) render_.wait();
  stopRender_ = std::make_shared<std::atomic<bool>>(false);
  renderedMidi_ = std::move(midi);
  render_ = OnThread(
      [midi = renderedMidi_, font = soundFont_, stop = stopRender_]() -> Samples {
        LowerThisThreadsPriority();
        try {
          return RenderTune(midi, font, kTuneSynthGain, *stop);
        } catch (const std::bad_alloc&) {
          std::fputs("talvessa: too little memory to synthesise the tune; the tune is left out\n", stderr);
          return nullptr;
        }
      },
      Samples(), "the tune is left out");
}

void SdlSound::TakeRender(std::chrono::milliseconds bound) {
  if (tune_.empty() || tuneTaken_ || !Ready(render_, bound)) return;
  tuneTaken_ = true;
  // Without its bank, or a synthesiser at all, the tune stays closed.
  if (render_.get() == nullptr) return CloseMusic();
  Locked([&] {
    tuneSamples_ = render_.get();
    tuneAt_ = 0;
  });
}

void SdlSound::OpenMusic(const std::string& path) {
  if (!tune_.empty()) return;
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  if (*bytes != renderedMidi_) Render(*bytes);
  tune_ = std::move(*bytes);
  TakeRender(kWait);
}

void SdlSound::PrepareTune(const std::string& path) {
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (bytes && IsPlayableTune(*bytes)) Render(std::move(*bytes));
}

void SdlSound::PlayMusic() {
  if (tune_.empty()) return;
  Locked([&] {
    tuneAt_ = 0;
    playing_ = true;
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
  Locked([&] { playing_ = false; });
}

void SdlSound::CloseMusic() {
  tune_.clear();
  tuneTaken_ = false;
  Locked([&] {
    playing_ = false;
    tuneSamples_.reset();
  });
}

void SdlSound::SetVolume(int volume) {
  Locked([&] { gain_ = static_cast<float>(GainOfVolume(std::clamp(volume, 0, kFullVolume))); });
}

void SdlSound::Fill(void* self, Uint8* stream, int bytes) {
  SdlSound& sound = *static_cast<SdlSound*>(self);
  const std::span out(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(bytes) / 2);
  std::ranges::fill(out, 0);
  if (sound.playing_ && sound.tuneSamples_ != nullptr) {
    const std::vector<std::int16_t>& tune = *sound.tuneSamples_;
    for (std::int16_t& sample : out) {
      Add(sample, tune[sound.tuneAt_] * sound.gain_);
      if (++sound.tuneAt_ == tune.size()) sound.tuneAt_ = 0;
    }
  }
  if (sound.effect_ != nullptr) {
    const std::vector<std::int16_t>& effect = *sound.effect_;
    const std::size_t count = std::min(out.size(), effect.size() - sound.effectAt_);
    for (std::size_t i = 0; i < count; ++i) Add(out[i], effect[sound.effectAt_ + i] * sound.gain_);
    sound.effectAt_ += count;
    // The effect's samples stay in the cache: this drops no last hold on them.
    if (sound.effectAt_ == effect.size()) sound.effect_.reset();
  }
}

}  // namespace talvessa
