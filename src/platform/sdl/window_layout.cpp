#include "platform/sdl/window_layout.h"

#include <algorithm>

#include "platform/screen.h"

namespace talvessa {

namespace {

constexpr int kWidth = WindowPicture::kWidth;
constexpr int kHeight = WindowPicture::kHeight;

int FittingFactor(int width, int height) { return std::max(1, std::min(width / kWidth, height / kHeight)); }

}  // namespace

PictureLayout LayOutPicture(int drawableWidth, int drawableHeight) {
  const int factor = FittingFactor(drawableWidth, drawableHeight);
  const int width = kWidth * factor;
  const int height = kHeight * factor;
  // Halving a negative difference rounds toward zero, which crops one pixel more on the right or bottom.
  return {factor, (drawableWidth - width) / 2, (drawableHeight - height) / 2, width, height};
}

int StartingFactor(int desktopWidth, int desktopHeight) {
  return FittingFactor(desktopWidth, static_cast<int>(static_cast<long long>(desktopHeight) * 85 / 100));
}

int FittingStartFactor(int asked, int desktopWidth, int desktopHeight) {
  return std::max(1, std::min(asked, FittingFactor(desktopWidth, desktopHeight)));
}

}  // namespace talvessa
