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

}  // namespace

std::string Sound::DataPath(const char* name) const { return appFolder_ + "da/" + name; }

void Sound::PlayEffect(int n) {
  const char* name = NameAt(kEffects, n);
  if (*name != '\0') platform_.PlayEffect(DataPath(name));
}

void Sound::SilenceEffects() { platform_.SilenceEffects(); }

void Sound::OpenMusic(int n) {
  musicPath_ = DataPath(NameAt(kTunes, n));
  holdOffUs_ = kFirstHoldOffUs;
  platform_.OpenMusic(musicPath_);
}

void Sound::PlayMusic() {
  startedUs_ = platform_.ClockUs();
  platform_.PlayMusic();
}

void Sound::StopMusic() { platform_.StopMusic(); }

void Sound::CloseMusic() { platform_.CloseMusic(); }

void Sound::KeepMusicLooping() {
  if (platform_.MusicStatus() != MusicMode::Stopped) return;
  const std::uint64_t ranUs = platform_.ClockUs() - startedUs_;
  if (ranUs < holdOffUs_) return;
  // A tune that ran well past the hold-off played through and restarts at once next time; one that
  // stopped within it waits twice as long before the next try.
  holdOffUs_ = ranUs < 2 * holdOffUs_ ? std::min(2 * holdOffUs_, kLongestHoldOffUs) : kFirstHoldOffUs;
  platform_.SeekMusicToStart();
  PlayMusic();
}

}  // namespace talvessa
