#include "platform/web/web_screen.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/web/page_bridge.h"

namespace talvessa {

namespace {

constexpr int kWidth = WindowPicture::kWidth;
constexpr int kHeight = WindowPicture::kHeight;
constexpr std::size_t kRowBytes = static_cast<std::size_t>(kWidth) * 3;

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b, int x) {
  a += 3 * x;
  b += 3 * x;
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace

void WebScreen::Present(const WindowPicture& picture) {
  const bool first = shown_.empty();
  if (first) shown_.resize(picture.rgb.size());
  // The rectangle of the pixels that changed, and the picture shown brought up to date.
  int left = kWidth, right = 0, top = kHeight, bottom = 0;
  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* now = picture.rgb.data() + y * kRowBytes;
    std::uint8_t* was = shown_.data() + y * kRowBytes;
    if (!first && std::memcmp(now, was, kRowBytes) == 0) continue;
    int from = 0, to = kWidth;
    if (!first) {
      while (SamePixel(now, was, from)) ++from;
      while (SamePixel(now, was, to - 1)) --to;
    }
    left = std::min(left, from);
    right = std::max(right, to);
    top = std::min(top, y);
    bottom = y + 1;
    std::memcpy(was, now, kRowBytes);
  }
  if (top == kHeight) return;
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* rgb = shown_.data() + y * kRowBytes;
    std::uint8_t* rgba = rgba_.data() + static_cast<std::size_t>(y) * kWidth * 4;
    for (int x = left; x < right; ++x) std::memcpy(rgba + 4 * x, rgb + 3 * x, 3);
  }
  page::Show(rgba_.data(), left, top, right - left, bottom - top);
}

}  // namespace talvessa
