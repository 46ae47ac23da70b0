#include "make_assets/pictures.h"

#include <string>

#include "make_assets/art_text.h"
#include "present/sheet.h"
#include "tool_io/tool_io.h"

namespace talvessa::art {

namespace {

enum class Turn { None, Mirror, Flip };  // as drawn, left to right, top to bottom

struct Placement {
  const char* file;
  SpriteCell cell;
  Turn turn;
};

// Every sprite of the sheet and the grid it comes from. B poses, the vehicle and the airliner facing
// up and the hanging ladders are turned copies, so each pair matches exactly.
constexpr Placement kPlacements[] = {
    {"figure_a1", sheet::kFigureA1, Turn::None},
    {"figure_a1", sheet::kFigureB1, Turn::Mirror},
    {"figure_a2", sheet::kFigureA2, Turn::None},
    {"figure_a2", sheet::kFigureB2, Turn::Mirror},
    {"vehicle", sheet::kVehicleDown, Turn::None},
    {"vehicle", sheet::kVehicleUp, Turn::Flip},
    {"ladders", sheet::kLaddersAbove, Turn::None},
    {"ladders", sheet::kLaddersBelow, Turn::Flip},
    {"aircraft", sheet::kAircraftDown, Turn::None},
    {"aircraft", sheet::kAircraftUp, Turn::Flip},
    {"banknote", sheet::kBanknote, Turn::None},
    {"bundle", sheet::kBundle, Turn::None},
    {"lone_person", sheet::kLonePerson, Turn::None},
    {"family_calm", sheet::kFamilyCalm, Turn::None},
    {"family_distress1", sheet::kFamilyDistress1, Turn::None},
    {"family_distress2", sheet::kFamilyDistress2, Turn::None},
    {"burst_closed", sheet::kBurstClosed, Turn::None},
    {"burst_opening", sheet::kBurstOpening, Turn::None},
    {"burst_open", sheet::kBurstOpen, Turn::None},
    {"flag", sheet::kFlag, Turn::None},
    {"van_a", sheet::kVanA, Turn::None},
    {"van_b", sheet::kVanB, Turn::None},
    {"bubble1", sheet::kBubble1, Turn::None},
    {"bubble2", sheet::kBubble2, Turn::None},
};

constexpr Rgb24 kWhiteRgb{255, 255, 255};
constexpr Rgb24 kBlackRgb{0, 0, 0};

struct Canvas {
  int width, height;
  std::vector<std::uint8_t> rgb;
  Canvas(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 255) {}
  void Set(int x, int y, Rgb24 colour) {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    rgb[at] = colour[0];
    rgb[at + 1] = colour[1];
    rgb[at + 2] = colour[2];
  }
};

std::filesystem::path GridFile(const std::filesystem::path& artDir, const char* name) {
  return artDir / (std::string(name) + ".txt");
}

void Place(Canvas& sheet, const Grid& grid, const Palette& palette, const SpriteCell& cell, Turn turn) {
  for (int y = 0; y < cell.height; ++y) {
    for (int x = 0; x < cell.width; ++x) {
      const int gx = turn == Turn::Mirror ? cell.width - 1 - x : x;
      const int gy = turn == Turn::Flip ? cell.height - 1 - y : y;
      const char c = grid.At(gx, gy);
      const bool solid = !palette.IsTransparent(c);
      sheet.Set(cell.picX + x, cell.picY + y, solid ? palette.Colour(c) : kWhiteRgb);
      sheet.Set(cell.maskX + x, cell.maskY + y, solid ? kWhiteRgb : kBlackRgb);
    }
  }
}

void PlaceGround(Canvas& sheet, const std::filesystem::path& file, const Palette& palette) {
  const Grid grid = ReadGrid(file, palette, sheet::kGroundSize, sheet::kGroundSize);
  for (int y = 0; y < grid.height; ++y) {
    for (int x = 0; x < grid.width; ++x) {
      const char c = grid.At(x, y);
      // The tile is copied whole, so a see-through pixel would show as white on the field.
      if (palette.IsTransparent(c)) {
        throw SourceError(file.string() + ":" + std::to_string(grid.rowLines[y]) + ": column " +
                          std::to_string(x + 1) + ": the ground tile is opaque, '" + std::string(1, c) +
                          "' is see-through");
      }
      sheet.Set(sheet::kGroundX + x, sheet::kGroundY + y, palette.Colour(c));
    }
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb) {
  return EncodeBmp(width, height, 3, rgb);
}

std::vector<std::uint8_t> EncodeBmp(int width, int height, int channels, const std::vector<std::uint8_t>& pixels) {
  const bool alpha = channels == 4;
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * channels + 3) & ~3u;
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
  // BITMAPINFOHEADER, or BITMAPV4HEADER, the first to carry an alpha mask.
  const std::uint32_t infoSize = alpha ? 108 : 40;
  const std::uint32_t headerSize = 14 + infoSize;
  std::vector<std::uint8_t> out;
  out.reserve(headerSize + imageSize);
  auto put16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  out.push_back('B');
  out.push_back('M');
  put32(headerSize + imageSize);
  put32(0);
  put32(headerSize);
  put32(infoSize);
  put32(static_cast<std::uint32_t>(width));
  put32(static_cast<std::uint32_t>(height));  // positive: rows stored bottom-up
  put16(1);
  put16(static_cast<std::uint32_t>(channels) * 8);
  put32(alpha ? 3 : 0);  // bit fields (the masks below), or uncompressed
  put32(imageSize);
  put32(2835);  // 72 dots per inch
  put32(2835);
  put32(0);
  put32(0);
  if (alpha) {
    for (const std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) put32(mask);
    put32(0x73524742);  // "sRGB"
    out.resize(out.size() + 36 + 12, 0);  // no end points, no gamma: sRGB says it all
  }
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * width + x) * channels;
      out.push_back(pixels[at + 2]);  // BMP pixels are blue, green, red (and alpha)
      out.push_back(pixels[at + 1]);
      out.push_back(pixels[at]);
      if (alpha) out.push_back(pixels[at + 3]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(width) * channels; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

Pictures BuildPictures(const std::filesystem::path& artDir) {
  const Palette palette = Palette::Read(artDir / "palette.txt");

  Canvas sheetCanvas(sheet::kWidth, sheet::kHeight);
  for (const Placement& p : kPlacements) {
    const Grid grid = ReadGrid(GridFile(artDir, p.file), palette, p.cell.width, p.cell.height);
    Place(sheetCanvas, grid, palette, p.cell, p.turn);
  }
  PlaceGround(sheetCanvas, GridFile(artDir, "ground"), palette);

  // The logo is opaque on white paper: its see-through character is simply white.
  const Grid logoGrid = ReadGrid(GridFile(artDir, "logo"), palette, logo::kWidth, logo::kHeight);
  Canvas logoCanvas(logo::kWidth, logo::kHeight);
  for (int y = 0; y < logo::kHeight; ++y) {
    for (int x = 0; x < logo::kWidth; ++x) {
      const char c = logoGrid.At(x, y);
      logoCanvas.Set(x, y, palette.IsTransparent(c) ? kWhiteRgb : palette.Colour(c));
    }
  }
  return {EncodeBmp(sheetCanvas.width, sheetCanvas.height, sheetCanvas.rgb),
          EncodeBmp(logoCanvas.width, logoCanvas.height, logoCanvas.rgb), BuildIcons(artDir, palette)};
}

void WritePictures(const Pictures& pictures, const std::filesystem::path& outDir) {
  std::filesystem::create_directories(outDir / "icons");
  WriteFile(outDir / "sheet.bmp", pictures.sheetBmp);
  WriteFile(outDir / "logo.bmp", pictures.logoBmp);
  WriteFile(outDir / "icon.bmp", pictures.icons.windowBmp);
  for (const IconPng& icon : pictures.icons.pngs) {
    WriteFile(outDir / "icons" / ("talvessa-" + std::to_string(icon.size) + ".png"), icon.png);
  }
  WriteFile(outDir / "icons/talvessa.svg",
            std::vector<std::uint8_t>(pictures.icons.svg.begin(), pictures.icons.svg.end()));
}

}  // namespace talvessa::art
