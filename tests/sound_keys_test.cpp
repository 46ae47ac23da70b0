// The keys and events the window keeps from the game: the sound keys and the pause on losing the keyboard.
#include <gtest/gtest.h>

#include "platform/audio.h"
#include "platform/player_keys.h"

namespace talvessa {
namespace {

using Sound = SoundKeys::Key;

TEST(SoundKeys, MuteTogglesOnceAStepRepeatsAndBothStayOnTheScale) {
  struct Case {
    int volume;
    bool muted;
    Sound key;
    bool repeat;
    int heard;
  };
  const Case cases[] = {
      {kFullVolume, false, Sound::Mute, false, 0},
      {kFullVolume, true, Sound::Mute, false, kFullVolume},  // unmuted at the volume it had
      {kFullVolume, false, Sound::Mute, true, kFullVolume},  // a held M acts once
      {kFullVolume, false, Sound::Down, false, kFullVolume - 1},
      {kFullVolume, false, Sound::Down, true, kFullVolume - 1},  // a held step repeats
      {kFullVolume, false, Sound::Up, false, kFullVolume},
      {0, false, Sound::Down, false, 0},
      {0, false, Sound::Up, false, 1},
      {5, true, Sound::Up, false, 6},  // a step brings the sound back, one step on
      {5, true, Sound::Down, false, 4},
  };
  for (const Case& c : cases) {
    SoundKeys keys(c.volume, c.muted);
    keys.Pressed(c.key, c.repeat);
    EXPECT_EQ(keys.Heard(), c.heard) << c.volume << (c.muted ? " muted" : "") << " key "
                                     << static_cast<int>(c.key) << (c.repeat ? " repeat" : "");
  }
  EXPECT_EQ(SoundKeys(7, true).Heard(), 0);
}

TEST(SoundKeys, AWholeRunFromFullToSilentAndBack) {
  SoundKeys keys(kFullVolume, false);
  for (int i = 0; i < kFullVolume + 3; ++i) keys.Pressed(Sound::Down, i > 0);
  EXPECT_EQ(keys.Heard(), 0);
  keys.Pressed(Sound::Up, false);
  keys.Pressed(Sound::Up, true);
  keys.Pressed(Sound::Mute, false);
  EXPECT_EQ(keys.Heard(), 0);
  keys.Pressed(Sound::Mute, false);
  EXPECT_EQ(keys.Heard(), 2);
}

TEST(FocusPause, EnterFromTheLossUntilThePumpAfterTheGameReadsItInPlayOnly) {
  FocusPause off(false);
  off.Pumped(true, 1000);
  EXPECT_FALSE(off.ReadEnter()) << "by default play goes on";

  FocusPause pause(true);
  pause.Pumped(false, 1000);
  EXPECT_FALSE(pause.ReadEnter());
  // Lost during a frame's wait: the wait's later pumps keep Enter down until the frame reads it.
  pause.Pumped(true, 1010);
  pause.Pumped(false, 1020);
  pause.Pumped(false, 1030);
  EXPECT_TRUE(pause.ReadEnter());
  EXPECT_TRUE(pause.ReadEnter()) << "down for the rest of the frame";
  pause.Pumped(false, 1040);
  EXPECT_FALSE(pause.ReadEnter()) << "let go at the pump after it was read";

  // A screen that reads no keys never sees it.
  pause.Pumped(true, 1500);
  pause.Pumped(false, 1599);
  pause.Pumped(false, 1600);
  EXPECT_FALSE(pause.ReadEnter());

  // Resting in its pause the game waits for events; an Enter there would resume it.
  pause.Waited(2000);
  pause.Pumped(true, 2010);
  EXPECT_FALSE(pause.ReadEnter());
  // Play resumed a while ago: the next loss pauses again.
  pause.Pumped(true, 2500);
  EXPECT_TRUE(pause.ReadEnter());
}

}  // namespace
}  // namespace talvessa
