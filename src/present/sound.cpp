#include "present/sound.h"

#include <algorithm>
#include <array>

namespace talvessa {

namespace {

// Effects are named without extension; the player finds "se3.wav" for "se3".
constexpr std::array<const char*, 11> kEffects = {"se0", "se1", "se2", "se3", "se4", "se5",
                                                  "se6", "se7", "se8", "",    ""};
constexpr std::array<const char*, 6> kTunes = {"", "bg1.mid", "", "", "", ""};

template <std::size_t N>
const char* NameAt(const std::array<const char*, N>& table, int n) {
  return n >= 0 && n < static_cast<int>(N) ? table[static_cast<std::size_t>(n)] : "";
}

std::string DataFile(const std::string& appFolder, const char* name) { return appFolder + "da/" + name; }

}  // namespace

std::string Sound::DataPath(const char* name) const { return DataFile(appFolder_, name); }

std::string Sound::TuneFile(const std::string& appFolder, Tune tune) {
  return DataFile(appFolder, NameAt(kTunes, static_cast<int>(tune)));
}

std::vector<std::string> Sound::EffectFiles(const std::string& appFolder) {
  std::vector<std::string> files;
  for (const char* name : kEffects) {
    if (*name != '\0') files.push_back(DataFile(appFolder, name));
  }
  return files;
}

void Sound::PlayEffect(Effect effect) {
  const char* name = NameAt(kEffects, static_cast<int>(effect));
  if (*name != '\0') audio_.PlayEffect(DataPath(name));
}

void Sound::SilenceEffects() { audio_.SilenceEffects(); }

void Sound::OpenMusic(Tune tune) {
  musicPath_ = TuneFile(appFolder_, tune);
  holdOffUs_ = kFirstHoldOffUs;
  audio_.OpenMusic(musicPath_);
}

void Sound::PlayMusic() {
  startedUs_ = clock_.ClockUs();
  audio_.PlayMusic();
}

void Sound::StopMusic() { audio_.StopMusic(); }

void Sound::CloseMusic() { audio_.CloseMusic(); }

void Sound::KeepMusicLooping() {
  if (audio_.MusicStatus() != MusicMode::Stopped) return;
  const std::uint64_t ranUs = clock_.ClockUs() - startedUs_;
  if (ranUs < holdOffUs_) return;
  // A tune that ran well past the hold-off played through and restarts at once next time; one that
  // stopped within it waits twice as long before the next try.
  holdOffUs_ = ranUs < 2 * holdOffUs_ ? std::min(2 * holdOffUs_, kLongestHoldOffUs) : kFirstHoldOffUs;
  audio_.SeekMusicToStart();
  PlayMusic();
}

}  // namespace talvessa
