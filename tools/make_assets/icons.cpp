#include "make_assets/icons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "make_assets/pictures.h"
#include "png/png_file.h"

namespace talvessa::art {

namespace {

// `grid` drawn at `size` x `size` RGBA: each icon pixel the average of the grid cells it covers, weighted
// by the area covered and by their opacity (see-through cells count as 0, 0, 0, 0). A size that is a
// whole multiple of the grid's gives each cell as a sharp block.
std::vector<std::uint8_t> IconRgba(const Grid& grid, const Palette& palette, int size) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4, 0);
  const double cells = static_cast<double>(grid.width) / size;  // grid cells across one icon pixel
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double sum[4] = {0, 0, 0, 0};
      for (int gy = static_cast<int>(y * cells); gy < std::ceil((y + 1) * cells); ++gy) {
        const double hy = std::min<double>(gy + 1, (y + 1) * cells) - std::max<double>(gy, y * cells);
        for (int gx = static_cast<int>(x * cells); gx < std::ceil((x + 1) * cells); ++gx) {
          const double hx = std::min<double>(gx + 1, (x + 1) * cells) - std::max<double>(gx, x * cells);
          const char c = grid.At(gx, gy);
          if (palette.IsTransparent(c)) continue;
          const Rgb24 colour = palette.Colour(c);
          const double weight = hx * hy / (cells * cells);
          for (int i = 0; i < 3; ++i) sum[i] += colour[i] * weight;
          sum[3] += weight;
        }
      }
      if (sum[3] <= 0) continue;
      const std::size_t at = (static_cast<std::size_t>(y) * size + x) * 4;
      for (int i = 0; i < 3; ++i) rgba[at + i] = static_cast<std::uint8_t>(std::lround(sum[i] / sum[3]));
      rgba[at + 3] = static_cast<std::uint8_t>(std::lround(255 * std::min(1.0, sum[3])));
    }
  }
  return rgba;
}

// One rectangle for each run of one colour along a row.
std::string IconSvg(const Grid& grid, const Palette& palette) {
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 " +
                    std::to_string(grid.width) + " " + std::to_string(grid.height) +
                    "\" shape-rendering=\"crispEdges\">\n";
  for (int y = 0; y < grid.height; ++y) {
    for (int x = 0; x < grid.width;) {
      const char c = grid.At(x, y);
      int end = x + 1;
      while (end < grid.width && grid.At(end, y) == c) ++end;
      if (!palette.IsTransparent(c)) {
        const Rgb24 colour = palette.Colour(c);
        char fill[8];
        std::snprintf(fill, sizeof fill, "#%02x%02x%02x", colour[0], colour[1], colour[2]);
        svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(end - x) + "\" height=\"1\" fill=\"" + fill + "\"/>\n";
      }
      x = end;
    }
  }
  return svg + "</svg>\n";
}

}  // namespace

IconFiles BuildIcons(const std::filesystem::path& artDir, const Palette& palette) {
  const Grid small = ReadGrid(artDir / "icon32.txt", palette, 32, 32);
  const Grid large = ReadGrid(artDir / "icon64.txt", palette, 64, 64);
  IconFiles icons;
  for (int size : kIconSizes) {
    // The small grid down to its own size, the large one above it.
    const Grid& grid = size <= 32 ? small : large;
    const std::vector<std::uint8_t> rgba = IconRgba(grid, palette, size);
    icons.pngs.push_back({size, EncodePng(size, size, PngPixels::kRgba, rgba)});
    if (size == kWindowIconSize) icons.windowBmp = EncodeBmp(size, size, 4, rgba);
  }
  icons.svg = IconSvg(large, palette);
  return icons;
}

}  // namespace talvessa::art
