#include "platform/sdl/sdl_sound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/sdl/sdl_sound_media.h"

namespace talvessa {

namespace {

// The one channel all effects share, so that a new one cuts the last.
constexpr int kEffectChannel = 0;

constexpr std::uint64_t kFirstSeekGapMs = 1000;
constexpr std::uint64_t kLastSeekGapMs = 32000;

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

}  // namespace

std::unique_ptr<SdlSound> SdlSound::Open(const std::string& soundFont) {
  // A device that cannot open must not take the window down with it, so audio starts on its own.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  std::unique_ptr<SdlSound> sound(new SdlSound(soundFont));
  sound->OpenDevice();
  return sound;
}

SdlSound::~SdlSound() {
  CloseMusic();
  CloseDevice();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSound::OpenDevice() {
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) return false;
  Mix_AllocateChannels(1);
  device_ = true;
  ApplyVolume();
  return true;
}

void SdlSound::CloseDevice() {
  if (!device_) return;
  Mix_HaltChannel(-1);
  // Effects and the tune were made for this device; the tune's file is kept.
  effects_.clear();
  if (music_ != nullptr) {
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }
  Mix_CloseAudio();
  device_ = false;
}

void SdlSound::DeviceEvent(bool added, std::uint32_t which) {
  if (added) {
    TakeNewDevice();
    return;
  }
  // Removals of devices never opened come with `which` 0; any other output removal is the one device
  // the mixer opened.
  if (which == 0 || !device_) return;
  CloseDevice();
  lost_ = true;
  seekGapMs_ = kFirstSeekGapMs;
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
}

void SdlSound::SeekLostDevice() {
  if (!lost_ || device_ || SDL_GetTicks64() < nextSeekMs_) return;
  seekGapMs_ = std::min(seekGapMs_ * 2, kLastSeekGapMs);
  nextSeekMs_ = SDL_GetTicks64() + seekGapMs_;
  TakeNewDevice();
}

void SdlSound::TakeNewDevice() {
  if (device_ || !OpenDevice()) return;
  lost_ = false;
  if (!tuneBytes_.empty()) LoadMusic();
  if (music_ != nullptr && musicPlaying_) Mix_PlayMusic(music_, -1);
}

void SdlSound::PlayEffect(const std::string& path) {
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

void SdlSound::SilenceEffects() {
  if (device_) Mix_HaltChannel(-1);
}

void SdlSound::OpenMusic(const std::string& path) {
  if (!tuneBytes_.empty()) return;
  auto bytes = ReadMediaFile(path);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  tuneBytes_ = std::move(*bytes);
  if (device_) LoadMusic();
}

void SdlSound::LoadMusic() {
  // The bank is read when the tune loads; without one FluidSynth refuses the tune and it stays closed.
  Mix_SetSoundFonts(soundFont_.c_str());
  music_ = Mix_LoadMUSType_RW(SDL_RWFromConstMem(tuneBytes_.data(), static_cast<int>(tuneBytes_.size())),
                              MUS_MID, 1);
  if (music_ == nullptr) {
    tuneBytes_ = {};
    musicPlaying_ = false;
  }
}

void SdlSound::PlayMusic() {
  if (tuneBytes_.empty()) return;
  musicPlaying_ = true;
  if (music_ != nullptr) Mix_PlayMusic(music_, -1);
}

MusicMode SdlSound::MusicStatus() {
  if (tuneBytes_.empty()) return MusicMode::NotOpen;
  // Without a device the tune plays on in silence, as far as the game can tell.
  if (music_ == nullptr) return musicPlaying_ ? MusicMode::Playing : MusicMode::Stopped;
  return Mix_PlayingMusic() != 0 ? MusicMode::Playing : MusicMode::Stopped;
}

void SdlSound::SeekMusicToStart() {
  if (music_ != nullptr) Mix_RewindMusic();
}

void SdlSound::StopMusic() {
  musicPlaying_ = false;
  if (music_ != nullptr) Mix_HaltMusic();
}

void SdlSound::CloseMusic() {
  musicPlaying_ = false;
  tuneBytes_ = {};
  if (music_ == nullptr) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
}

void SdlSound::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, kFullVolume);
  if (device_) ApplyVolume();
}

void SdlSound::ApplyVolume() const {
  Mix_Volume(-1, MixerVolume(volume_, 1.0));
  Mix_VolumeMusic(MixerVolume(volume_, kTuneShare));
}

}  // namespace talvessa
