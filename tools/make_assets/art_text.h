// The readable sources of the game's pictures: a palette file (one character per colour) and text
// grids of one character a pixel.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvessa::art {

// A fault in a source file; the message starts with "file:line:" so editors can jump to it.
class SourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Rgb24 = std::array<std::uint8_t, 3>;

// Character to colour. Exactly one character is see-through: the background around a picture.
class Palette {
 public:
  static Palette Read(const std::filesystem::path& file);
  bool Knows(char c) const { return known_[Index(c)]; }
  bool IsTransparent(char c) const { return c == transparent_; }
  char Transparent() const { return transparent_; }
  // The colour of an opaque character.
  Rgb24 Colour(char c) const { return colours_[Index(c)]; }

 private:
  static std::size_t Index(char c) { return static_cast<unsigned char>(c); }
  std::array<bool, 256> known_{};
  std::array<Rgb24, 256> colours_{};
  char transparent_ = 0;
};

// A picture as written: `width` x `height` characters, all known to the palette.
struct Grid {
  int width = 0;
  int height = 0;
  std::vector<char> cells;    // rows top to bottom
  std::vector<int> rowLines;  // the line of the file each row was read from
  char At(int x, int y) const { return cells[static_cast<std::size_t>(y) * width + x]; }
};

// Reads a grid file: lines starting with ';' are comments, every other line is one row of pixels.
// Throws SourceError naming the file and line for a missing file, a row of the wrong width, the wrong
// number of rows or a character the palette does not know.
Grid ReadGrid(const std::filesystem::path& file, const Palette& palette, int width, int height);

}  // namespace talvessa::art
