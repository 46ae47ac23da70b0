#include "platform/web/web_audio.h"

#include <string_view>

#include "platform/web/page_bridge.h"

namespace talvessa {

std::string TuneRendering(const std::string& path) {
  constexpr std::string_view kMidi = ".mid";
  if (path.size() >= kMidi.size() && path.ends_with(kMidi)) {
    return path.substr(0, path.size() - kMidi.size()) + ".ogg";
  }
  return path + ".ogg";
}

void WebAudio::PlayEffect(const std::string& path) { page::PlayEffect(path + ".wav"); }

void WebAudio::SilenceEffects() { page::SilenceEffects(); }

void WebAudio::OpenMusic(const std::string& path) {
  if (!tuneOpen_) tuneOpen_ = page::LoadTune(TuneRendering(path));
}

void WebAudio::PlayMusic() {
  if (!tuneOpen_) return;
  tunePlaying_ = true;
  page::PlayTune();
}

// The rendering loops for ever: a tune played is playing until it is stopped.
MusicMode WebAudio::MusicStatus() {
  if (!tuneOpen_) return MusicMode::NotOpen;
  return tunePlaying_ ? MusicMode::Playing : MusicMode::Stopped;
}

void WebAudio::SeekMusicToStart() {
  if (tunePlaying_) page::PlayTune();
}

void WebAudio::StopMusic() {
  tunePlaying_ = false;
  page::StopTune();
}

void WebAudio::CloseMusic() {
  StopMusic();
  tuneOpen_ = false;
}

void WebAudio::SetVolume(int volume) { page::SetGain(GainOfVolume(volume)); }

}  // namespace talvessa
