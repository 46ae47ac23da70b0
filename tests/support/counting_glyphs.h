// A rasteriser in front of another that counts the lines it is asked to draw: how tests and the text
// benchmark see what the text cache spares.
#pragma once

#include <cstddef>
#include <string>

#include "platform/glyphs.h"

namespace talvessa {

class CountingGlyphs final : public GlyphRasterizer {
 public:
  explicit CountingGlyphs(GlyphRasterizer& glyphs) : glyphs_(glyphs) {}
  bool Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                 TextImage& out) override {
    ++count;
    return glyphs_.Rasterize(face, points, bold, utf8, out);
  }
  std::size_t count = 0;

 private:
  GlyphRasterizer& glyphs_;
};

}  // namespace talvessa
