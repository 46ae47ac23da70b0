#include "platform/web/web_screen.h"

#include <cstddef>

#include "platform/web/page_bridge.h"

namespace talvessa {

void WebScreen::Present(const WindowPicture& picture) {
  if (picture.rgb == shown_) return;
  shown_ = picture.rgb;
  const std::size_t pixels = static_cast<std::size_t>(WindowPicture::kWidth) * WindowPicture::kHeight;
  for (std::size_t i = 0; i < pixels; ++i) {
    rgba_[4 * i] = picture.rgb[3 * i];
    rgba_[4 * i + 1] = picture.rgb[3 * i + 1];
    rgba_[4 * i + 2] = picture.rgb[3 * i + 2];
  }
  page::Show(rgba_.data());
}

}  // namespace talvessa
