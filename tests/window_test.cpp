// Where the picture lands in windows of every size, the size the window opens at, and the keys the
// window keeps for itself.
#include <gtest/gtest.h>

#include "platform/sdl/window_keys.h"
#include "platform/sdl/window_layout.h"

namespace talvessa {
namespace {

struct LayoutCase {
  int width, height;  // the drawable
  int factor, x, y;   // where the picture goes
};

TEST(WindowLayout, LargestWholeFactorCentredOnBlack) {
  const LayoutCase cases[] = {
      {576, 448, 1, 0, 0},                                   // the picture's own size
      {1152, 896, 2, 0, 0},                                  // exactly twice
      {1151, 896, 1, 287, 224},                              // one pixel short of twice
      {1152, 895, 1, 288, 223},  {1500, 1000, 2, 174, 52},   // a window dragged larger
      {1920, 1080, 2, 384, 92},                              // full HD: the height decides
      {2560, 1440, 3, 416, 48},  {3840, 2160, 4, 768, 184},  // 4K
      {3840, 1000, 2, 1344, 52},                             // very wide
      {700, 2000, 1, 62, 776},                               // very tall
      {2304, 1792, 4, 0, 0},  // a 2x window on a screen of twice the pixel density
      {1729, 1345, 3, 0, 0},  // odd leftovers: the extra pixel goes right and below
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const PictureLayout at = LayOutPicture(c.width, c.height);
    EXPECT_EQ(at.factor, c.factor);
    EXPECT_EQ(at.width, 576 * c.factor);
    EXPECT_EQ(at.height, 448 * c.factor);
    EXPECT_EQ(at.x, c.x);
    EXPECT_EQ(at.y, c.y);
    // The picture always lies inside the drawable with bands that differ by at most one pixel.
    EXPECT_LE(at.x + at.width, c.width);
    EXPECT_LE(at.y + at.height, c.height);
    EXPECT_LE(c.width - at.width - 2 * at.x, 1);
    EXPECT_LE(c.height - at.height - 2 * at.y, 1);
  }
}

TEST(WindowLayout, SmallerThanThePictureItIsCroppedEvenlyAtOneToOne) {
  const PictureLayout at = LayOutPicture(500, 400);
  EXPECT_EQ(at.factor, 1);
  EXPECT_EQ(at.x, -38);
  EXPECT_EQ(at.y, -24);
  const PictureLayout gone = LayOutPicture(0, 0);  // a window folded away
  EXPECT_EQ(gone.factor, 1);
  EXPECT_EQ(gone.x, -288);
  EXPECT_EQ(gone.y, -224);
}

TEST(WindowLayout, OpensAtTheLargestFactorWithinMostOfTheDesktopHeight) {
  struct Desktop {
    int width, height, factor;
  };
  const Desktop desktops[] = {
      {1024, 768, 1},  // 2x would be 896 high
      {1366, 768, 1},
      {1920, 1080, 2},  // 896 is 83 % of 1080
      {1920, 1055, 2},  // 85 % of 1055 is 896.75: 2x fits
      {1920, 1054, 1},  // 85 % of 1054 is 895.9: it does not
      {2560, 1440, 2},  // 1344 would be 93 %
      {2560, 1600, 3},
      {3840, 2160, 4},
      {1000, 3000, 1},            // a portrait screen: the width decides
      {640, 480, 1},              // smaller than the picture: still 1x
      {0, 0, 1},                  // nothing known of the desktop
      {100000, 2147483647, 173},  // no overflow on absurd figures
  };
  for (const Desktop& d : desktops) {
    EXPECT_EQ(StartingFactor(d.width, d.height), d.factor) << d.width << "x" << d.height;
  }
}

TEST(WindowLayout, AnAskedScaleIsLoweredToTheLargestWholeWindowThatFits) {
  struct Asked {
    int scale, width, height, factor;
  };
  const Asked cases[] = {
      {3, 1920, 1080, 2},  // 1728 x 1344 would run off the top of a full-HD screen
      {3, 2560, 1400, 3},  // 1344 fits whole, though above the 85 % the window opens at by default
      {1, 1920, 1080, 1},  // a smaller window than the default is kept
      {8, 640, 480, 1},    // never below 1x
      {2, 0, 0, 1},        // nothing known of the desktop
  };
  for (const Asked& a : cases) {
    EXPECT_EQ(FittingStartFactor(a.scale, a.width, a.height), a.factor) << a.scale << " on " << a.width;
  }
}

using Key = WindowKeys::Key;

TEST(WindowKeys, AltEnterAndF11SwitchFullscreenButNotOnRepeats) {
  WindowKeys keys;
  EXPECT_TRUE(keys.Pressed(Key::Return, true, false));
  EXPECT_FALSE(keys.Pressed(Key::Return, true, true));
  keys.Released(Key::Return);
  EXPECT_TRUE(keys.Pressed(Key::KeypadEnter, true, false));
  keys.Released(Key::KeypadEnter);
  EXPECT_TRUE(keys.Pressed(Key::F11, false, false));
  EXPECT_FALSE(keys.Pressed(Key::F11, false, true));
  EXPECT_TRUE(keys.Pressed(Key::F11, true, false));
  // Enter alone and other keys with Alt belong to the game.
  EXPECT_FALSE(keys.Pressed(Key::Return, false, false));
  EXPECT_FALSE(keys.Pressed(Key::Other, true, false));
}

TEST(WindowKeys, TheEnterOfAltEnterNeverReachesTheGame) {
  WindowKeys keys;
  // Not yet read from the queue: Alt alone hides it.
  EXPECT_FALSE(keys.GameSeesEnter(true, false, true));
  keys.Pressed(Key::Return, true, false);
  EXPECT_FALSE(keys.GameSeesEnter(true, false, true));
  // Alt let go first, Enter still held: still the window's.
  EXPECT_FALSE(keys.GameSeesEnter(true, false, false));
  keys.Released(Key::Return);
  EXPECT_FALSE(keys.GameSeesEnter(false, false, false));
  // The next Enter alone pauses as ever.
  keys.Pressed(Key::Return, false, false);
  EXPECT_TRUE(keys.GameSeesEnter(true, false, false));
}

TEST(WindowKeys, EachEnterKeyIsHiddenOnlyUntilItIsLetGo) {
  WindowKeys keys;
  keys.Pressed(Key::KeypadEnter, true, false);
  EXPECT_FALSE(keys.GameSeesEnter(false, true, false));
  // The main Enter was not part of the shortcut.
  EXPECT_TRUE(keys.GameSeesEnter(true, true, false));
  keys.Released(Key::Return);
  EXPECT_FALSE(keys.GameSeesEnter(false, true, false));
  keys.Released(Key::KeypadEnter);
  EXPECT_TRUE(keys.GameSeesEnter(false, true, false));
}

}  // namespace
}  // namespace talvessa
