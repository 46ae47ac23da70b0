// The screen service: where the finished picture of the window is shown.
#pragma once

#include <cstdint>
#include <vector>

namespace talvessa {

// The window's client area: 576 x 448 pixels, 8-bit R, G, B in that order, rows top to bottom.
struct WindowPicture {
  static constexpr int kWidth = 576;
  static constexpr int kHeight = 448;
  std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(kWidth * kHeight * 3, 0);
};

class Screen {
 public:
  virtual ~Screen() = default;
  // Shows the picture until the next one comes.
  virtual void Present(const WindowPicture& picture) = 0;
};

}  // namespace talvessa
