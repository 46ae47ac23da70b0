// The game's icon for its desktop entry and its window, drawn from icon32.txt and icon64.txt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "make_assets/art_text.h"

namespace talvessa::art {

struct IconPngs {
  std::vector<std::uint8_t> small;  // 32 x 32
  std::vector<std::uint8_t> large;  // 128 x 128: the 64 x 64 grid, every pixel doubled
};

// Reads the two icon grids in `artDir` (SourceError naming file and line for a fault) and encodes them as
// RGBA PNG files whose see-through background has alpha 0.
IconPngs BuildIcons(const std::filesystem::path& artDir, const Palette& palette);

}  // namespace talvessa::art
