#include "present/window_view.h"

#include <algorithm>
#include <cstring>

namespace talvessa {

void ComposeWindow(const Surface& visible, WindowPicture& picture) {
  const int x0 = std::clamp(visible.Left, 0, WindowPicture::kWidth);
  const int y0 = std::clamp(visible.Top, 0, WindowPicture::kHeight);
  const int x1 = std::clamp(visible.Left + visible.Width, x0, WindowPicture::kWidth);
  const int y1 = std::clamp(visible.Top + visible.Height, y0, WindowPicture::kHeight);
  // Each row is written once: black where the surface does not reach, the surface's pixels where it does
  // (the pause shows a picture a hundred times a second, so clearing the whole window first costs).
  constexpr std::size_t kRow = static_cast<std::size_t>(WindowPicture::kWidth) * 3;
  std::uint8_t* row = picture.rgb.data();
  for (int y = 0; y < WindowPicture::kHeight; ++y, row += kRow) {
    if (y < y0 || y >= y1 || x1 == x0) {
      std::memset(row, 0, kRow);
      continue;
    }
    const std::size_t left = static_cast<std::size_t>(x0) * 3;
    const std::size_t width = static_cast<std::size_t>(x1 - x0) * 3;
    const std::size_t from =
        (static_cast<std::size_t>(y - visible.Top) * visible.Width + (x0 - visible.Left)) * 3;
    std::memset(row, 0, left);
    std::memcpy(row + left, visible.pixels.data() + from, width);
    std::memset(row + left + width, 0, kRow - left - width);
  }
}

void WindowView::SurfaceChanged(const Surface& visible) {
  ComposeWindow(visible, picture_);
  screen_.Present(picture_);
}

}  // namespace talvessa
