// The game's icon: the committed PNG and BMP files against their text sources, what the pictures must be
// to serve a desktop and a window, the built-in copy as SDL reads it, and the PNG writer read back through
// libpng.
#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "make_assets/pictures.h"
#include "asset_files.h"
#include "png/png_file.h"
#include "support/scratch_folder.h"

namespace talvessa::embedded {
std::span<const std::uint8_t> IconBmp();
}

namespace talvessa {
namespace {

using testing::kAssets;
using testing::ReadFile;

struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
  }
  bool Opaque(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && At(x, y)[3] != 0; }
};

// Read back with libpng's own reader, so the writer is judged by an independent decoder.
Rgba DecodePng(const std::vector<std::uint8_t>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    ADD_FAILURE() << image.message;
    return {};
  }
  image.format = PNG_FORMAT_RGBA;
  Rgba decoded{static_cast<int>(image.width), static_cast<int>(image.height),
               std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr)) {
    ADD_FAILURE() << image.message;
    png_image_free(&image);
    return {};
  }
  return decoded;
}

struct IconFile {
  const char* png;
  const char* grid;
  int gridSize;
  int scale;  // pixels of the PNG for one character of the grid
};
// The sizes drawn as sharp blocks; 16, 24 and 48 are averaged (checked for their size and chunks below).
constexpr IconFile kIcons[] = {{"talvessa-32.png", "icon32.txt", 32, 1},
                               {"talvessa-64.png", "icon64.txt", 64, 1},
                               {"talvessa-128.png", "icon64.txt", 64, 2},
                               {"talvessa-256.png", "icon64.txt", 64, 4}};

const art::Palette& GamePalette() {
  static const art::Palette palette = art::Palette::Read(kAssets / "art" / "palette.txt");
  return palette;
}

TEST(IconGenerator, ReproducesTheCommittedFilesByteForByte) {
  const art::Pictures built = art::BuildPictures(kAssets / "art");
  ASSERT_EQ(built.icons.pngs.size(), std::size(art::kIconSizes));
  for (const art::IconPng& icon : built.icons.pngs) {
    const std::string name = "talvessa-" + std::to_string(icon.size) + ".png";
    EXPECT_TRUE(icon.png == ReadFile(kAssets / "icons" / name)) << "rebuild the assets: " << name;
    const Rgba decoded = DecodePng(icon.png);
    EXPECT_EQ(decoded.width, icon.size);
    EXPECT_EQ(decoded.height, icon.size);
  }
  const std::vector<std::uint8_t> svg = ReadFile(kAssets / "icons" / "talvessa.svg");
  EXPECT_EQ(std::string(svg.begin(), svg.end()), built.icons.svg) << "rebuild the assets: talvessa.svg";
  EXPECT_TRUE(built.icons.windowBmp == ReadFile(kAssets / "icon.bmp")) << "rebuild the assets: icon.bmp";
  EXPECT_NE(built.icons.svg.find("viewBox=\"0 0 64 64\""), std::string::npos);
}

TEST(IconGenerator, WritesTheIconsIntoTheirOwnFolder) {
  const testing::ScratchFolder scratch("icons");
  const std::filesystem::path& out = scratch.path();
  const art::Pictures built = art::BuildPictures(kAssets / "art");
  art::WritePictures(built, out);
  for (const art::IconPng& icon : built.icons.pngs) {
    EXPECT_TRUE(ReadFile(out / "icons" / ("talvessa-" + std::to_string(icon.size) + ".png")) == icon.png);
  }
  const std::vector<std::uint8_t> svg = ReadFile(out / "icons" / "talvessa.svg");
  EXPECT_EQ(std::string(svg.begin(), svg.end()), built.icons.svg);
  EXPECT_TRUE(ReadFile(out / "icon.bmp") == built.icons.windowBmp);
}

TEST(IconFiles, AreRgbaWithOnlyTheChunksThatKeepThemReproducible) {
  for (const IconFile& icon : kIcons) {
    SCOPED_TRACE(icon.png);
    const std::vector<std::uint8_t> b = ReadFile(kAssets / "icons" / icon.png);
    ASSERT_GT(b.size(), 33u);
    auto u32 = [&](std::size_t at) {
      return std::uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    };
    const std::uint32_t size = static_cast<std::uint32_t>(icon.gridSize * icon.scale);
    EXPECT_EQ(u32(16), size);  // IHDR width and height
    EXPECT_EQ(u32(20), size);
    EXPECT_EQ(b[24], 8);  // bits a channel
    EXPECT_EQ(b[25], 6);  // red, green, blue and alpha

    std::vector<std::string> chunks;
    for (std::size_t at = 8; at + 12 <= b.size(); at += 12 + u32(at)) {
      chunks.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(at + 4),
                          b.begin() + static_cast<std::ptrdiff_t>(at + 8));
    }
    chunks.erase(std::unique(chunks.begin(), chunks.end()), chunks.end());
    EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  }
}

TEST(IconFiles, ShowTheirGridsPixelForPixel) {
  for (const IconFile& icon : kIcons) {
    SCOPED_TRACE(icon.png);
    const Rgba png = DecodePng(ReadFile(kAssets / "icons" / icon.png));
    const art::Grid grid =
        art::ReadGrid(kAssets / "art" / icon.grid, GamePalette(), icon.gridSize, icon.gridSize);
    ASSERT_EQ(png.width, icon.gridSize * icon.scale);
    ASSERT_EQ(png.height, icon.gridSize * icon.scale);
    for (int y = 0; y < png.height; ++y) {
      for (int x = 0; x < png.width; ++x) {
        const char c = grid.At(x / icon.scale, y / icon.scale);
        const std::uint8_t* p = png.At(x, y);
        const std::vector<std::uint8_t> got(p, p + 4);
        if (GamePalette().IsTransparent(c)) {
          ASSERT_EQ(got, (std::vector<std::uint8_t>{0, 0, 0, 0})) << x << "," << y;
        } else {
          const art::Rgb24 rgb = GamePalette().Colour(c);
          ASSERT_EQ(got, (std::vector<std::uint8_t>{rgb[0], rgb[1], rgb[2], 255})) << x << "," << y;
        }
      }
    }
  }
}

TEST(IconFiles, AreOpaqueDarkOutlinedFlagsOnTransparentGround) {
  for (const IconFile& icon : kIcons) {
    SCOPED_TRACE(icon.png);
    const Rgba png = DecodePng(ReadFile(kAssets / "icons" / icon.png));
    ASSERT_GT(png.width, 0);
    const int last = png.width - 1;
    EXPECT_FALSE(png.Opaque(0, 0) || png.Opaque(last, 0) || png.Opaque(0, last) || png.Opaque(last, last));

    int opaque = 0, cloth = 0, disc = 0, pole = 0;
    const art::Rgb24 red = GamePalette().Colour('D'), yellow = GamePalette().Colour('Y');
    for (int y = 0; y < png.height; ++y) {
      for (int x = 0; x < png.width; ++x) {
        const std::uint8_t* p = png.At(x, y);
        ASSERT_TRUE(p[3] == 0 || p[3] == 255) << "half-transparent at " << x << "," << y;
        if (p[3] == 0) continue;
        ++opaque;
        const art::Rgb24 rgb{p[0], p[1], p[2]};
        cloth += std::min({p[0], p[1], p[2]}) >= 190;  // white and its shades in the folds
        disc += rgb == red;
        pole += rgb == yellow;
        // The silhouette's rim is dark, so it stands off a light desktop as well as a dark one.
        const bool rim =
            !png.Opaque(x - 1, y) || !png.Opaque(x + 1, y) || !png.Opaque(x, y - 1) || !png.Opaque(x, y + 1);
        if (rim) {
          ASSERT_LE(std::max({p[0], p[1], p[2]}), 48) << "light rim pixel at " << x << "," << y;
        }
      }
    }
    // Bold: the flag fills much of the square, and each of its parts is a sizeable area.
    const int area = png.width * png.height;
    EXPECT_GT(opaque, area * 2 / 5);
    EXPECT_GT(cloth, area / 5);
    EXPECT_GT(disc, area / 15);
    EXPECT_GT(pole, area / 40);
  }
}

TEST(IconFiles, TheLargeIconIsTheSmallOneRedrawn) {
  // Silhouettes compared at 32 x 32: the large icon sampled at every fourth pixel.
  const Rgba small = DecodePng(ReadFile(kAssets / "icons" / "talvessa-32.png"));
  const Rgba large = DecodePng(ReadFile(kAssets / "icons" / "talvessa-128.png"));
  ASSERT_EQ(small.width, 32);
  ASSERT_EQ(large.width, 128);
  int differ = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) differ += small.Opaque(x, y) != large.Opaque(4 * x + 1, 4 * y + 1);
  EXPECT_LT(differ, 32 * 32 / 10);
}

// The window's icon as SDL reads it from the game: the large icon's pixels, alpha and all.
TEST(IconEmbedded, IsTheCommittedLargeIconAsSdlReadsIt) {
  const std::span<const std::uint8_t> embedded = embedded::IconBmp();
  const std::vector<std::uint8_t> committed = ReadFile(kAssets / "icon.bmp");
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), committed.begin(), committed.end()));

  SDL_Surface* read = SDL_LoadBMP_RW(SDL_RWFromConstMem(embedded.data(), static_cast<int>(embedded.size())), 1);
  ASSERT_NE(read, nullptr) << SDL_GetError();
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(read, SDL_PIXELFORMAT_ABGR8888, 0);  // bytes R, G, B, A
  SDL_FreeSurface(read);
  ASSERT_NE(rgba, nullptr) << SDL_GetError();
  const Rgba large = DecodePng(ReadFile(kAssets / "icons" / "talvessa-128.png"));
  ASSERT_EQ(rgba->w, large.width);
  ASSERT_EQ(rgba->h, large.height);
  int differ = 0;
  for (int y = 0; y < rgba->h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<std::ptrdiff_t>(y) * rgba->pitch;
    differ += !std::equal(row, row + rgba->w * 4, large.At(0, y));
  }
  SDL_FreeSurface(rgba);
  EXPECT_EQ(differ, 0) << "rows that differ";
}

TEST(IconPngWriter, ReadsBackExactlyAndTheSameEveryTime) {
  // An odd size and every alpha level, so a wrong row length or channel order shows.
  constexpr int kW = 5, kH = 3;
  std::vector<std::uint8_t> rgba(kW * kH * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 37 + 11);
  const std::vector<std::uint8_t> png = EncodePng(kW, kH, PngPixels::kRgba, rgba);
  EXPECT_EQ(png, EncodePng(kW, kH, PngPixels::kRgba, rgba));
  const Rgba back = DecodePng(png);
  EXPECT_EQ(back.width, kW);
  EXPECT_EQ(back.height, kH);
  EXPECT_EQ(back.pixels, rgba);

  EXPECT_THROW(EncodePng(kW, kH + 1, PngPixels::kRgba, rgba), std::invalid_argument);
  EXPECT_THROW(EncodePng(0, 0, PngPixels::kRgba, {}), std::invalid_argument);
}

}  // namespace
}  // namespace talvessa
