// Where the picture goes in a window of any size: whole-number enlargements only, so every pixel of the
// game stays a sharp square, centred on black.
#pragma once

namespace talvessa {

struct PictureLayout {
  int factor;  // each picture pixel becomes factor x factor window pixels
  int x;       // the enlarged picture's top-left corner in the window; negative when the window is
  int y;       // smaller than the picture at 1x and it is cropped evenly on both sides
  int width;
  int height;
};

// The largest whole factor (at least 1) at which the picture fits a drawable of the given pixel size.
PictureLayout LayOutPicture(int drawableWidth, int drawableHeight);

// The factor the window opens at: the largest whose window fits the usable desktop area with its height
// no more than 85 % of the desktop's, so that title bar and panels keep their room. At least 1.
int StartingFactor(int desktopWidth, int desktopHeight);

// The factor a window asked for at `asked` opens at: no larger than the largest whose window fits the
// usable desktop area whole. At least 1.
int FittingStartFactor(int asked, int desktopWidth, int desktopHeight);

}  // namespace talvessa
