// The colour of one pixel of a surface, for the tests' checks of pictures.
#pragma once

#include <cstddef>
#include <stdexcept>

#include "present/surface.h"

namespace talvessa {

inline Colour PixelAt(const Surface& surface, int x, int y) {
  if (x < 0 || y < 0 || x >= surface.Width || y >= surface.Height) {
    throw std::out_of_range("pixel outside the surface");
  }
  const std::uint8_t* p = surface.pixels.data() + (static_cast<std::size_t>(y) * surface.Width + x) * 3;
  return Rgb(p[0], p[1], p[2]);
}

}  // namespace talvessa
