// The page's picture: the window's picture drawn on the page's canvas, which the page enlarges.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/screen.h"

namespace talvessa {

class WebScreen final : public Screen {
 public:
  void Present(const WindowPicture& picture) override;

 private:
  // The canvas takes four bytes a pixel; the alpha bytes stay opaque.
  std::vector<std::uint8_t> rgba_ =
      std::vector<std::uint8_t>(WindowPicture::kWidth * WindowPicture::kHeight * 4, 255);
};

}  // namespace talvessa
