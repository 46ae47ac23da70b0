// Text on our surfaces: a line is rasterised once in the surface's face, size and weight, kept, and
// its glyphs are then laid over whatever the surface holds.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/glyphs.h"
#include "present/surface.h"

namespace talvessa {

// The texts of a run, each rasterised once. With no rasteriser nothing is drawn.
class Text {
 public:
  explicit Text(GlyphRasterizer* rasterizer = nullptr, std::size_t capacity = 256);
  // The line as it prints, or nullptr when it cannot be drawn.
  const TextImage* Render(const std::string& face, int points, bool bold, const std::string& utf8);

 private:
  struct Entry {
    std::string key;
    TextImage image;
    bool drawable = false;
  };
  GlyphRasterizer* rasterizer_;
  std::size_t capacity_;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

// How a number prints: a blank or a minus for the sign, the digits, one blank after.
std::string NumberText(std::int32_t value);

// Prints at (x, y), the top-left corner of the first character cell, in the surface's face, with smoothed
// edges. Only the glyphs are drawn: each pixel is brought towards the colour as far as the glyph covers
// it (white text only lightens, black text only darkens), so printing the same line twice in one place
// looks the same as printing it once.
void PrintText(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
               std::string_view value);
void PrintText(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
               std::int32_t value);
// Prints a number with its start moved left by Fix(size / 3) pixels for each of its digits (1 to 8),
// so that it grows to the left of x.
void PrintNumber(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
                 std::int32_t value);

}  // namespace talvessa
