// A stand-in glyph rasteriser for tests that need to see where texts land.
#pragma once

#include <string>
#include <vector>

#include "formats/utf8.h"
#include "present/text.h"

namespace talvessa {

// Text as blocks: every character, blanks included, a filled rectangle kGlyphWidth wide and `points`
// high, one pixel apart. Notes what it was asked for.
constexpr int kGlyphWidth = 5;
constexpr int kAdvance = kGlyphWidth + 1;

inline int CodePoints(const std::string& utf8) { return CountCharacters(utf8); }

class BlockGlyphs final : public GlyphRasterizer {
 public:
  struct Request {
    std::string face;
    int points;
    bool bold;
    std::string text;
  };
  bool Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                 TextImage& out) override {
    requests.push_back({face, points, bold, utf8});
    out.width = kAdvance * CodePoints(utf8);
    out.height = points;
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    for (int y = 0; y < out.height; ++y) {
      for (int x = 0; x < out.width; ++x) {
        if (x % kAdvance < kGlyphWidth) out.coverage[static_cast<std::size_t>(y) * out.width + x] = 255;
      }
    }
    return true;
  }
  std::vector<Request> requests;
};

}  // namespace talvessa
