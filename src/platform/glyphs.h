// The glyph service: text turned into pixels in the faces the game asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talvessa {

// The two faces the game prints in: a Gothic in play, a regular-script face on the other screens. They
// are Windows faces; the backends stand other faces in for them.
inline constexpr const char* kPlayFace = "ＭＳ Ｐゴシック";
inline constexpr const char* kScreenFace = "HG正楷書体-PRO";

// One rasterised line: how much of each pixel the glyphs cover, from 0 (nothing) to 255 (all), rows top
// to bottom, so that edges can be smoothed. The top row is the top of the line's character cell.
struct TextImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;
};

class GlyphRasterizer {
 public:
  virtual ~GlyphRasterizer() = default;
  // False when no usable face can draw the line; `out` is then left empty. `face` is the name the game
  // asks for; `points` are at 96 dpi.
  virtual bool Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                         TextImage& out) = 0;
};

}  // namespace talvessa
