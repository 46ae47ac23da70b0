// The game's own effects over its own tune, as the busiest play sounds through the real sound backend:
// the mix never reaches full scale, and every effect stays clearly above the tune.
#include <array>

#include "listening.h"

namespace talvessa::testing {
namespace {

// The game's frame, 1/30 s, in recorded frames.
constexpr std::size_t kGameFrame = 1470;
// The tune plays 28 bars of 4/4 at 132 beats a minute before it starts over.
constexpr double kTuneSeconds = 28 * 4 * 60.0 / 132;
// The effects of play: the van, the two rescue chimes, the fanfare, the escape, the start of play.
constexpr std::array<const char*, 6> kPlayEffects = {"se7", "se3", "se5", "se6", "se8", "se2"};

class GameMix : public SdlSoundListening {
 protected:
  // The platform with the game's own effects prepared, its tune played as soon as its render is heard.
  void SetUp() override {
    SdlSoundListening::SetUp();
    // The disk driver writes the mix some ten times faster than it would play, so a minute takes seconds.
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    std::vector<std::string> effects;
    for (int n = 0; n <= 8; ++n) effects.push_back(GameMedia("se" + std::to_string(n)));
    ASSERT_NO_FATAL_FAILURE(Open({}, effects));
    PlayTune(GameMedia("bg1.mid"));
    ASSERT_TRUE(AwaitSound());
  }
  void TearDown() override { unsetenv("SDL_DISKAUDIODELAY"); }
};

TEST_F(GameMix, TheBusiestMinuteOfPlayNeverReachesFullScale) {
  // Every three seconds: a banknote thrown on each of 45 frames, then one of the other effects of play
  // sounding to its end, so that each meets the tune at several places. Each game frame is played as the
  // recording reaches it, several at once when the driver ran ahead, as a busy machine drops them.
  const std::size_t first = RecordedFrames(output());
  std::size_t frame = 0;
  ASSERT_TRUE(Record(60.0, output(), [&] {
    for (; first + frame * kGameFrame <= RecordedFrames(output()); ++frame) {
      if (frame % 90 < 45) audio().PlayEffect(GameMedia("se0"));
      if (frame % 90 == 45) audio().PlayEffect(GameMedia(kPlayEffects[frame / 90 % kPlayEffects.size()]));
    }
  }));
  const Recording heard = Finish();

  ASSERT_GE(heard.frames(), Frames(60.0));
  // No sample at full scale, where a louder mix is clipped, and room left above.
  EXPECT_LT(Dbfs(heard.Peak()), -1.0);
}

TEST_F(GameMix, EveryEffectOfPlaySoundsAtLeastSixDecibelsAboveTheTune) {
  ASSERT_TRUE(Record(kTuneSeconds));
  audio().StopMusic();
  // The driver may have run past the tune's length before the tune was stopped.
  const std::size_t tuneEnd = RecordedFrames(output()) + Frames(0.1);
  // Each effect alone, with a second of silence after it.
  for (const char* effect : kPlayEffects) {
    ASSERT_TRUE(Record(0.5));
    audio().PlayEffect(GameMedia(effect));
    ASSERT_TRUE(Record(1.5));
  }
  audio().PlayEffect(GameMedia("se0"));
  ASSERT_TRUE(Record(0.5));
  const Recording heard = Finish();

  // The tune at its loudest: the loudest second of the whole tune.
  const std::size_t tuneStart = heard.Sound().start;
  const double tune = heard.LoudestSecond(tuneStart, tuneEnd - Frames(0.1), Frames(0.25));
  ASSERT_GT(tune, 0.0) << "the tune was not heard";
  // Each effect at its level while it sounds, found between the silences after the tune.
  const std::vector<Stretch> effects = heard.Runs(0, Frames(0.3), tuneEnd);
  ASSERT_EQ(effects.size(), kPlayEffects.size() + 1) << "not every effect was heard on its own";
  for (std::size_t i = 0; i < effects.size(); ++i) {
    const double level = heard.Rms(effects[i].start, effects[i].end);
    EXPECT_GE(Dbfs(level / tune), 6.0) << (i < kPlayEffects.size() ? kPlayEffects[i] : "se0");
  }
}

}  // namespace
}  // namespace talvessa::testing
