// The page's sound through Web Audio: the effects on one voice, and the tune rendered ahead of time
// from the game's MIDI file (the same synthesiser, bank and level as the desktop), looping without a
// gap. A file that is missing or cannot be decoded is left out in silence, as on the desktop.
#pragma once

#include <string>

#include "platform/audio.h"

namespace talvessa {

class WebAudio final : public Audio {
 public:
  // `path` has no extension: the effect is `path` + ".wav".
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;
  // The tune "….mid" plays from its rendering "….ogg" beside it. It loads in the background: play
  // starts without it, and it joins from its beginning once it has decoded.
  void OpenMusic(const std::string& path) override;
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;
  void SetVolume(int volume) override;

 private:
  bool tuneOpen_ = false;
  bool tunePlaying_ = false;
};

// The file the page plays for the tune at `path`: its rendering, with ".ogg" for ".mid".
std::string TuneRendering(const std::string& path);

}  // namespace talvessa
