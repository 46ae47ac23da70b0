// The game's side of sound: effect and tune names, and the tune kept looping without hammering a
// damaged file.
#include <gtest/gtest.h>

#include "harness.h"

namespace talvessa {
namespace {

using testing::Harness;

HeadlessPlatform::Options TuneOf(std::uint64_t ms) {
  HeadlessPlatform::Options options;
  options.tuneLengthMs = ms;
  options.programFolder = "/opt/my games/タルヴェッサ";
  return options;
}

// Opens the tune and starts it, as a game does, forgetting the commands so far.
void StartTune(Harness& h) {
  h.game.sound.OpenMusic(Tune::Play);
  h.game.sound.PlayMusic();
  h.platform.audio.TakeMusicCommands();
}

// Calls KeepMusicLooping once a frame of play for `ms`, returning how many times the tune restarted.
int FramesOfPlay(Harness& h, std::uint64_t ms) {
  int restarts = 0;
  for (std::uint64_t t = 0; t < ms; t += 33) {
    h.game.sound.KeepMusicLooping();
    for (const std::string& c : h.platform.audio.TakeMusicCommands()) restarts += c == "play" ? 1 : 0;
    h.platform.clock.Advance(33000);
  }
  return restarts;
}

TEST(Sound, EffectsAndTheTuneAreNamedInTheDataFolder) {
  Harness h(TuneOf(40000));
  for (int n = -1; n <= 11; ++n) h.game.sound.PlayEffect(static_cast<Effect>(n));
  EXPECT_EQ(h.platform.audio.TakeEffects(),
            (std::vector<std::string>{"se0", "se1", "se2", "se3", "se4", "se5", "se6", "se7", "se8"}));
  h.game.sound.OpenMusic(Tune::Play);
  EXPECT_EQ(h.game.sound.MusicPath(), "/opt/my games/タルヴェッサ/da/bg1.mid");
}

TEST(Sound, ATuneThatPlayedThroughRestartsOnTheNextFrame) {
  Harness h(TuneOf(40000));
  StartTune(h);
  EXPECT_EQ(FramesOfPlay(h, 39900), 0);
  EXPECT_EQ(FramesOfPlay(h, 200), 1);
  // And again after the next pass, with no growing pause between passes.
  EXPECT_EQ(FramesOfPlay(h, 40000), 1);
}

TEST(Sound, ADamagedTuneIsRetriedAfterAGrowingPause) {
  // A damaged file plays for a moment and stops.
  Harness h(TuneOf(20));
  StartTune(h);
  // Tries at 1, 3, 7, 15, 31 and 63 s, then every 64 s: never once a frame.
  EXPECT_EQ(FramesOfPlay(h, 64000), 6);
  EXPECT_EQ(FramesOfPlay(h, 128000), 2);
  // A new game opens it afresh, with the first short pause again.
  h.game.sound.StopMusic();
  h.game.sound.CloseMusic();
  StartTune(h);
  EXPECT_EQ(FramesOfPlay(h, 1100), 1);
}

}  // namespace
}  // namespace talvessa
