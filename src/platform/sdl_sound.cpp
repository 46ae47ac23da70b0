#include "platform/sdl_sound.h"

#include <SDL.h>

#include "platform/sdl_sound_media.h"

namespace talvessa {

namespace {

// The one channel all effects share, so that a new one cuts the last.
constexpr int kEffectChannel = 0;

}  // namespace

std::unique_ptr<SdlSound> SdlSound::Open(const std::string& soundFont) {
  // A device that cannot open must not take the window down with it, so audio starts on its own.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  Mix_AllocateChannels(1);
  return std::unique_ptr<SdlSound>(new SdlSound(soundFont));
}

SdlSound::~SdlSound() {
  Mix_HaltChannel(-1);
  CloseMusic();
  effects_.clear();
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSound::PlayEffect(const std::string& path) {
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

void SdlSound::SilenceEffects() { Mix_HaltChannel(-1); }

void SdlSound::OpenMusic(const std::string& path) {
  if (music_ != nullptr) return;
  auto bytes = ReadMediaFile(path);
  if (!bytes || !IsPlayableTune(*bytes)) return;
  tuneBytes_ = std::move(*bytes);
  // The bank is read when the tune loads; without one FluidSynth refuses the tune and it stays closed.
  Mix_SetSoundFonts(soundFont_.c_str());
  music_ = Mix_LoadMUSType_RW(SDL_RWFromConstMem(tuneBytes_.data(), static_cast<int>(tuneBytes_.size())),
                              MUS_MID, 1);
  if (music_ == nullptr) tuneBytes_ = {};
}

void SdlSound::PlayMusic() {
  if (music_ != nullptr) Mix_PlayMusic(music_, -1);
}

MusicMode SdlSound::MusicStatus() {
  if (music_ == nullptr) return MusicMode::NotOpen;
  return Mix_PlayingMusic() != 0 ? MusicMode::Playing : MusicMode::Stopped;
}

void SdlSound::SeekMusicToStart() {
  if (music_ != nullptr) Mix_RewindMusic();
}

void SdlSound::StopMusic() {
  if (music_ != nullptr) Mix_HaltMusic();
}

void SdlSound::CloseMusic() {
  if (music_ == nullptr) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
  tuneBytes_ = {};
}

}  // namespace talvessa
