#include "platform/sdl/sdl_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_sound_media.h"
#include "platform/sdl/synth_messages.h"

namespace talvessa {

namespace {

// The one channel all effects share, so that a new one cuts the last.
constexpr int kEffectChannel = 0;

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;

// The player parses the tune again at every pass, and one it cannot parse, or that lasts no time, it
// passes over again at once: asked to loop for ever, it would do so inside one sound buffer, holding the
// sound thread's lock for good. So the tune loops a number of passes, hours of a real tune; the game
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

// Plays are numbered across the process; the mixer tells its music has ended through a hook without a
// context, and there is one mixer.
std::atomic<std::uint64_t> lastPlayNumber{0};
// The play the mixer is playing, 0 while it plays none or is halting it on purpose, and the last one
// that ended by itself.
std::atomic<std::uint64_t> mixerPlay{0};
std::atomic<std::uint64_t> endedPlay{0};

// SDL_mixer drives FluidSynth at a gain of 1.2 at full volume, six times FluidSynth's own; the tune is
// played 5 dB below that, at the level of the mix in platform/audio.h.
constexpr double kTuneShare = 0.56;
// Each step of the player's volume is 3 dB, so that the steps sound even; 0 is silence.
constexpr double kStepDb = 3.0;

int MixerVolume(int volume, double share) {
  if (volume <= 0) return 0;
  const double gain = share * std::pow(10.0, kStepDb * (volume - kFullVolume) / 20.0);
  return std::max(1, static_cast<int>(std::lround(gain * MIX_MAX_VOLUME)));
}

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
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) return;
    Mix_AllocateChannels(1);
    Mix_HookMusicFinished(MusicEnded);
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
    // Effects and the tune were made for this device; the tune's file is kept.
    effects_.clear();
    FreeMusic();
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
    if (music_ != nullptr && play_ != 0) StartPlay();
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

  void Play(std::uint64_t play) {
    play_ = play;
    if (music_ != nullptr) StartPlay();
  }

  void Rewind() {
    if (music_ != nullptr) Mix_RewindMusic();
  }

  void Stop() {
    play_ = 0;
    if (music_ == nullptr) return;
    mixerPlay = 0;
    Mix_HaltMusic();
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

  // Hands the kept tune to the mixer; forgets the tune, and tells the game, when the mixer refuses it.
  void LoadMusic() {
    // The bank is read when the tune loads; without one FluidSynth refuses the tune and it stays closed.
    Mix_SetSoundFonts(soundFont_.c_str());
    music_ = Mix_LoadMUSType_RW(SDL_RWFromConstMem(tuneBytes_->data(), static_cast<int>(tuneBytes_->size())),
                                MUS_MID, 1);
    if (music_ != nullptr) return;
    refusedTune = tune_;
    tuneBytes_.reset();
    play_ = 0;
  }

  void ApplyVolume() const {
    Mix_Volume(-1, MixerVolume(volume_, 1.0));
    Mix_VolumeMusic(MixerVolume(volume_, kTuneShare));
  }

  void StartPlay() {
    mixerPlay = play_;
    Mix_PlayMusic(music_, kTunePasses);
  }

  void FreeMusic() {
    if (music_ == nullptr) return;
    mixerPlay = 0;
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }

  std::string soundFont_;
  bool device_ = false;
  int volume_ = kFullVolume;
  // Every effect asked for, by path; null for one that would not load, so that it is not read again.
  std::map<std::string, Chunk> effects_;
  Mix_Music* music_ = nullptr;
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
  sound->worker_.Post([mixer = sound->mixer_] { mixer->OpenDevice(); });
  sound->AwaitMixer();
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

bool SdlSound::HasDevice() const { return mixer_->deviceOpen; }

}  // namespace talvessa
