#include "present/window_view.h"

#include <algorithm>
#include <cstring>

namespace talvessa {

void ComposeWindow(const Surface& visible, WindowPicture& picture) {
  std::fill(picture.rgb.begin(), picture.rgb.end(), std::uint8_t{0});
  const int x0 = std::max(visible.Left, 0);
  const int y0 = std::max(visible.Top, 0);
  const int x1 = std::min(visible.Left + visible.Width, WindowPicture::kWidth);
  const int y1 = std::min(visible.Top + visible.Height, WindowPicture::kHeight);
  if (x1 <= x0 || y1 <= y0) return;
  for (int y = y0; y < y1; ++y) {
    const std::size_t from =
        (static_cast<std::size_t>(y - visible.Top) * visible.Width + (x0 - visible.Left)) * 3;
    const std::size_t to = (static_cast<std::size_t>(y) * WindowPicture::kWidth + x0) * 3;
    std::memcpy(picture.rgb.data() + to, visible.pixels.data() + from, static_cast<std::size_t>(x1 - x0) * 3);
  }
}

void WindowView::SurfaceChanged(const Surface& visible) {
  ComposeWindow(visible, picture_);
  screen_.Present(picture_);
}

}  // namespace talvessa
