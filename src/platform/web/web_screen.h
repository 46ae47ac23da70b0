// The page's picture: the window's picture drawn on the page's canvas, which the page enlarges.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/screen.h"

namespace talvessa {

class WebScreen final : public Screen {
 public:
  // Only the rectangle that differs from the picture shown is drawn: a picture the same as the one shown
  // is not drawn at all (the pause shows its picture a hundred times a second), and in play a picture
  // changes where a sprite moved, a tenth of the window. The browser copies, uploads and composites
  // what is drawn.
  void Present(const WindowPicture& picture) override;

 private:
  std::vector<std::uint8_t> shown_;
  // The canvas takes four bytes a pixel; the alpha bytes stay opaque.
  std::vector<std::uint8_t> rgba_ =
      std::vector<std::uint8_t>(WindowPicture::kWidth * WindowPicture::kHeight * 4, 255);
};

}  // namespace talvessa
