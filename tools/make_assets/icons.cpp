#include "make_assets/icons.h"

#include "png/png_file.h"

namespace talvessa::art {

namespace {

// Each pixel of `grid` as a `scale` x `scale` block of RGBA; see-through pixels are 0, 0, 0, 0.
std::vector<std::uint8_t> IconRgba(const Grid& grid, const Palette& palette, int scale) {
  const int width = grid.width * scale;
  const int height = grid.height * scale;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const char c = grid.At(x / scale, y / scale);
      if (palette.IsTransparent(c)) continue;
      const Rgb24 colour = palette.Colour(c);
      const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
      rgba[at] = colour[0];
      rgba[at + 1] = colour[1];
      rgba[at + 2] = colour[2];
      rgba[at + 3] = 255;
    }
  }
  return rgba;
}

}  // namespace

IconPngs BuildIcons(const std::filesystem::path& artDir, const Palette& palette) {
  const Grid small = ReadGrid(artDir / "icon32.txt", palette, 32, 32);
  const Grid large = ReadGrid(artDir / "icon64.txt", palette, 64, 64);
  return {EncodePng(32, 32, PngPixels::kRgba, IconRgba(small, palette, 1)),
          EncodePng(128, 128, PngPixels::kRgba, IconRgba(large, palette, 2))};
}

}  // namespace talvessa::art
