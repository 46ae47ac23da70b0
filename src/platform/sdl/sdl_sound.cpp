#include "platform/sdl/sdl_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <map>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sdl/rendered_tune.h"
#include "platform/sdl/sdl_sound_media.h"
#include "platform/sdl/synth_messages.h"
#include "platform/sdl/tune_playback.h"

namespace talvessa {

namespace {

// The one channel all effects share, so that a new one cuts the last.
constexpr int kEffectChannel = 0;

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;

// The tune loops a number of passes, hours of a real tune, as SDL_mixer's player was asked to (looping for
// ever, it would pass over a tune that lasts no time again and again inside one sound buffer); the game
// starts it again when it stops.
constexpr int kTunePasses = 1000;

// Effects asked for while this many calls wait for the mixer are left out: the mixer is held up, and
// the sounds would come late.
constexpr std::size_t kMostWaitingCalls = 32;

// How long the game waits for the mixer where what follows counts on it: a device opened (and the tune
// loaded on it), a lost one closed, the tune loaded (the synthesiser reads its bank of sounds) before it is
// played, an effect loaded the first time it is played, and the mixer closed at the end.
constexpr std::chrono::milliseconds kMixerWait{2000};
constexpr std::chrono::milliseconds kLastCloseWait{1500};
// How long after start-up a tune prepared then begins rendering: past the logo's first pictures, long
// before the first play.
constexpr std::chrono::milliseconds kPrepareDelay{500};

// Plays are numbered across the process; the mixer tells its music has ended through a hook without a
// context, and there is one mixer.
std::atomic<std::uint64_t> lastPlayNumber{0};
// The play the mixer is playing, 0 while it plays none or is halting it on purpose, and the last one
// that ended by itself.
std::atomic<std::uint64_t> mixerPlay{0};
std::atomic<std::uint64_t> endedPlay{0};

// SDL_mixer drove FluidSynth at a gain of 1.2 at full volume, six times FluidSynth's own; the tune is
// played 5 dB below that, at the level of the mix in platform/audio.h. It is rendered at the player's
// full volume and scaled down from there.
constexpr double kTuneShare = 0.56;
constexpr float kFullSynthGain = 1.2f;
// Each step of the player's volume is 3 dB, so that the steps sound even; 0 is silence.
constexpr double kStepDb = 3.0;

int MixerVolume(int volume, double share) {
  if (volume <= 0) return 0;
  const double gain = share * std::pow(10.0, kStepDb * (volume - kFullVolume) / 20.0);
  return std::max(1, static_cast<int>(std::lround(gain * MIX_MAX_VOLUME)));
}

float RenderGain() { return kFullSynthGain * MixerVolume(kFullVolume, kTuneShare) / MIX_MAX_VOLUME; }

// On the sound thread, or inside a halt.
void MusicEnded() {
  if (const std::uint64_t play = mixerPlay.load(); play != 0) endedPlay.store(play);
}

}  // namespace

// Runs on the mixer's thread only, but for the two reports the game reads.
class SdlSound::Mixer {
 public:
  explicit Mixer(std::string soundFont) : soundFont_(std::move(soundFont)) {}

  // Reports to the game.
  std::atomic<bool> deviceOpen{false};
  std::atomic<std::uint64_t> refusedTune{0};

  void OpenDevice() {
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, RenderedTune::kDeviceBufferFrames) != 0) return;
    Mix_AllocateChannels(1);
    // The rate and channels are the device's; the samples stay 16-bit.
    Uint16 format = 0;
    Mix_QuerySpec(&rate_, &format, &channels_);
    playback_ = std::make_unique<TunePlayback>(channels_, MusicEnded);
    device_ = true;
    deviceOpen = true;
    ApplyVolume();
  }

  // The player's volume, for this device and the next.
  void SetVolume(int volume) {
    volume_ = volume;
    if (device_) ApplyVolume();
  }

  void CloseDevice() {
    if (!device_) return;
    Mix_HaltChannel(-1);
    // Effects were made for this device; the tune's file is kept, and its render for a device of the
    // same rate.
    effects_.clear();
    FreeMusic();
    playback_.reset();
    Mix_CloseAudio();
    device_ = false;
    deviceOpen = false;
  }

  // Opens a device while there is none, and plays on with it.
  void TakeNewDevice() {
    if (device_) return;
    OpenDevice();
    if (!device_) return;
    if (tuneBytes_ != nullptr) LoadMusic();
    if (loaded_ && play_ != 0) StartPlay();
  }

  void PlayEffect(const std::string& path) {
    if (!device_) return;
    auto found = effects_.find(path);
    if (found == effects_.end()) {
      Chunk chunk;
      const auto bytes = ReadMediaFile(path + ".wav");
      if (bytes && IsWholeWave(*bytes)) {
        chunk.reset(Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1));
      }
      found = effects_.emplace(path, std::move(chunk)).first;
    }
    if (found->second != nullptr) Mix_PlayChannel(kEffectChannel, found->second.get(), 0);
  }

  void SilenceEffects() {
    if (device_) Mix_HaltChannel(-1);
  }

  void OpenTune(std::uint64_t tune, std::vector<std::uint8_t> bytes) {
    tune_ = tune;
    tuneBytes_ = std::make_unique<std::vector<std::uint8_t>>(std::move(bytes));
    if (device_) LoadMusic();
  }

  // Starts rendering a tune the game will open later, so that opening it costs nothing then. The
  // synthesiser reads its bank of sounds on a thread of its own meanwhile, not holding up the mixer's
  // calls of the first frames.
  void Prepare(std::vector<std::uint8_t> bytes) {
    if (!device_) return;
    prepared_ = std::async(std::launch::async, [bytes = std::move(bytes), font = soundFont_, rate = rate_] {
      // After the first pictures, and below the frames after them: on a busy machine, reading the bank at
      // once delayed the first picture by tens of milliseconds.
      std::this_thread::sleep_for(kPrepareDelay);
      RenderedTune::LowerThisThread();
      return RenderedTune::Start(bytes, font, rate, RenderGain());
    });
  }

  void Play(std::uint64_t play) {
    play_ = play;
    if (loaded_) StartPlay();
  }

  void Rewind() {
    if (loaded_) playback_->Rewind();
  }

  void Stop() {
    play_ = 0;
    if (!loaded_) return;
    mixerPlay = 0;
    playback_->Stop();
  }

  void CloseTune() {
    play_ = 0;
    tune_ = 0;
    tuneBytes_.reset();
    FreeMusic();
  }

 private:
  struct FreeChunk {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
  };
  using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

  // Takes the kept tune's render, or starts one; forgets the tune, and tells the game, when the
  // synthesiser refuses it. Without its bank of sounds FluidSynth refuses the tune and it stays closed.
  void LoadMusic() {
    if (prepared_.valid()) {
      render_.reset();
      render_ = prepared_.get();
    }
    if (render_ == nullptr || !render_->Renders(*tuneBytes_, rate_)) {
      render_.reset();
      render_ = RenderedTune::Start(*tuneBytes_, soundFont_, rate_, RenderGain());
    }
    loaded_ = render_ != nullptr;
    if (loaded_) return;
    refusedTune = tune_;
    tuneBytes_.reset();
    play_ = 0;
  }

  void ApplyVolume() const {
    Mix_Volume(-1, MixerVolume(volume_, 1.0));
    playback_->SetScale(static_cast<double>(MixerVolume(volume_, kTuneShare)) /
                        MixerVolume(kFullVolume, kTuneShare));
  }

  void StartPlay() {
    mixerPlay = play_;
    playback_->Play(render_, kTunePasses);
  }

  void FreeMusic() {
    if (!loaded_) return;
    mixerPlay = 0;
    playback_->Stop();
    loaded_ = false;
  }

  std::string soundFont_;
  bool device_ = false;
  int volume_ = kFullVolume;
  // Every effect asked for, by path; null for one that would not load, so that it is not read again.
  std::map<std::string, Chunk> effects_;
  // The device's frames a second and channels.
  int rate_ = 0;
  int channels_ = 0;
  std::unique_ptr<TunePlayback> playback_;
  // The last tune rendered, kept when the tune closes: the next game opens the same tune.
  std::shared_ptr<RenderedTune> render_;
  // The render of a tune prepared and not yet opened.
  std::future<std::unique_ptr<RenderedTune>> prepared_;
  // The open tune is loaded on this device: its render is `render_`.
  bool loaded_ = false;
  // The tune's number and file, which the mixer may read from for as long as the tune is open; null when
  // no tune is open. It outlives the device, so that the tune can be played again on the next one.
  std::uint64_t tune_ = 0;
  std::unique_ptr<std::vector<std::uint8_t>> tuneBytes_;
  // The play the game asked for and has not stopped; 0 for none. Kept while there is no device.
  std::uint64_t play_ = 0;
};

SdlSound::SdlSound(const std::string& soundFont) : mixer_(std::make_shared<Mixer>(soundFont)) {}

std::unique_ptr<SdlSound> SdlSound::Open(const std::string& soundFont) {
  // A device that cannot open must not take the window down with it, so audio starts on its own.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  BoundSynthesiserMessages();
  std::unique_ptr<SdlSound> sound(new SdlSound(soundFont));
  // The device opens on the mixer's thread while the game goes on starting; HasDevice waits for it.
  auto tried = std::make_shared<std::promise<void>>();
  sound->firstDevice_ = tried->get_future().share();
  sound->worker_.Post([mixer = sound->mixer_, tried] {
    mixer->OpenDevice();
    tried->set_value();
  });
  return sound;
}

SdlSound::~SdlSound() {
  worker_.Post([mixer = mixer_] {
    mixer->CloseTune();
    mixer->CloseDevice();
  });
  if (worker_.Finish(kLastCloseWait)) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    std::fputs("sound: the mixer did not close in time and is left as it is\n", stderr);
  }
}

void SdlSound::DeviceEvent(bool added, std::uint32_t which) {
  if (added) {
    // With a device open (SDL announces the ones there are at start) the mixer has nothing to do.
    if (mixer_->deviceOpen) return;
    worker_.Post([mixer = mixer_] { mixer->TakeNewDevice(); });
    AwaitMixer();
    return;
  }
  // Removals of devices never opened come with `which` 0; any other output removal is the one device
  // the mixer opened.
  if (which == 0 || !mixer_->deviceOpen) return;
  worker_.Post([mixer = mixer_] { mixer->CloseDevice(); });
  AwaitMixer();
  lost_ = true;
  seekGapMs_ = kFirstSeekGapMs;
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
}

void SdlSound::SeekLostDevice() {
  if (!lost_) return;
  if (mixer_->deviceOpen) {
    lost_ = false;
    return;
  }
  if (SDL_GetTicks64() < nextSeekMs_) return;
  seekGapMs_ = std::min(seekGapMs_ * 2, kLastSeekGapMs);
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
  worker_.Post([mixer = mixer_] { mixer->TakeNewDevice(); });
  AwaitMixer();
}

void SdlSound::AwaitMixer() {
  if (held_ && worker_.Waiting() > 0) return;
  held_ = !worker_.Finish(kMixerWait);
}

void SdlSound::PlayEffect(const std::string& path) {
  if (worker_.Waiting() >= kMostWaitingCalls) return;
  worker_.Post([mixer = mixer_, path] { mixer->PlayEffect(path); });
  // An effect sounds when it is asked for, not when it has loaded.
  if (effectsAsked_.insert(path).second) AwaitMixer();
}

void SdlSound::SilenceEffects() {
  worker_.Post([mixer = mixer_] { mixer->SilenceEffects(); });
}

void SdlSound::OpenMusic(const std::string& path) {
  if (tune_ != 0) return;
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  tune_ = ++lastPlayNumber;
  worker_.Post([mixer = mixer_, tune = tune_, bytes = std::move(*bytes)]() mutable {
    mixer->OpenTune(tune, std::move(bytes));
  });
  AwaitMixer();
}

void SdlSound::PrepareTune(const std::string& path) {
  auto bytes = ReadMediaFile(path, kLargestTune);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  worker_.Post([mixer = mixer_, bytes = std::move(*bytes)]() mutable { mixer->Prepare(std::move(bytes)); });
}

void SdlSound::PlayMusic() {
  if (tune_ == 0) return;
  musicPlaying_ = true;
  play_ = ++lastPlayNumber;
  worker_.Post([mixer = mixer_, play = play_] { mixer->Play(play); });
}

MusicMode SdlSound::MusicStatus() {
  if (tune_ != 0 && mixer_->refusedTune == tune_) {
    tune_ = 0;
    musicPlaying_ = false;
  }
  if (tune_ == 0) return MusicMode::NotOpen;
  // Without a device the tune plays on in silence, as far as the game can tell.
  return musicPlaying_ && endedPlay != play_ ? MusicMode::Playing : MusicMode::Stopped;
}

void SdlSound::SeekMusicToStart() {
  if (tune_ != 0) worker_.Post([mixer = mixer_] { mixer->Rewind(); });
}

void SdlSound::StopMusic() {
  musicPlaying_ = false;
  worker_.Post([mixer = mixer_] { mixer->Stop(); });
}

void SdlSound::CloseMusic() {
  musicPlaying_ = false;
  tune_ = 0;
  worker_.Post([mixer = mixer_] { mixer->CloseTune(); });
}

void SdlSound::SetVolume(int volume) {
  worker_.Post([mixer = mixer_, volume = std::clamp(volume, 0, kFullVolume)] { mixer->SetVolume(volume); });
}

bool SdlSound::HasDevice() const {
  firstDevice_.wait_for(kMixerWait);
  return mixer_->deviceOpen;
}

}  // namespace talvessa
