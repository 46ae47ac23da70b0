// The game's icon for its desktop entry and its window, drawn from icon32.txt and icon64.txt: PNG files at
// every size desktops ask for, and a scalable SVG of the large grid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "make_assets/art_text.h"

namespace talvessa::art {

struct IconPng {
  int size;  // width and height in pixels
  std::vector<std::uint8_t> png;
};

struct IconFiles {
  // 16 to 256 pixels, smallest first: whole multiples of a grid are its pixels enlarged; the sizes between
  // (16, 24, 48) are the nearest larger grid's pixels averaged over each icon pixel's area.
  std::vector<IconPng> pngs;
  std::string svg;  // the 64 x 64 grid, one square a pixel
  // The icon of kWindowIconSize as the 32-bit BMP the game's window carries: SDL reads it without a
  // library of its own.
  std::vector<std::uint8_t> windowBmp;
};

inline constexpr int kWindowIconSize = 128;

// The sizes of IconFiles::pngs.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Reads the two icon grids in `artDir` (SourceError naming file and line for a fault) and encodes them as
// RGBA PNG files whose see-through background has alpha 0, and as SVG.
IconFiles BuildIcons(const std::filesystem::path& artDir, const Palette& palette);

}  // namespace talvessa::art
