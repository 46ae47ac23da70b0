// The sprite sheet and the logo: the committed files against their text sources, the mask convention
// every masked draw relies on, the sheet's layout, and the BMP reader.
#include "present/sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "make_assets/art_text.h"
#include "make_assets/pictures.h"
#include "present/surface.h"
#include "asset_files.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

using testing::kAssets;
using testing::ReadFile;

Surface Decoded(const std::vector<std::uint8_t>& bytes) {
  Surface s;
  EXPECT_TRUE(DecodeBmp(bytes, s));
  return s;
}

const Surface& CommittedSheet() {
  static const Surface sheet = Decoded(ReadFile(kAssets / "sheet.bmp"));
  return sheet;
}

struct NamedSprite {
  const char* name;
  SpriteCell cell;
};
constexpr NamedSprite kSprites[] = {
    {"flag", sheet::kFlag},
    {"van A", sheet::kVanA},
    {"van B", sheet::kVanB},
    {"figure A1", sheet::kFigureA1},
    {"figure A2", sheet::kFigureA2},
    {"figure B1", sheet::kFigureB1},
    {"figure B2", sheet::kFigureB2},
    {"vehicle down", sheet::kVehicleDown},
    {"vehicle up", sheet::kVehicleUp},
    {"ladders above", sheet::kLaddersAbove},
    {"ladders below", sheet::kLaddersBelow},
    {"aircraft down", sheet::kAircraftDown},
    {"aircraft up", sheet::kAircraftUp},
    {"banknote", sheet::kBanknote},
    {"bundle", sheet::kBundle},
    {"lone person", sheet::kLonePerson},
    {"family calm", sheet::kFamilyCalm},
    {"family distress 1", sheet::kFamilyDistress1},
    {"family distress 2", sheet::kFamilyDistress2},
    {"burst closed", sheet::kBurstClosed},
    {"burst opening", sheet::kBurstOpening},
    {"burst open", sheet::kBurstOpen},
    {"bubble 1", sheet::kBubble1},
    {"bubble 2", sheet::kBubble2},
};

bool InSilhouette(const SpriteCell& c, int x, int y) {
  return PixelAt(CommittedSheet(), c.maskX + x, c.maskY + y) == kWhite;
}
Colour PictureAt(const SpriteCell& c, int x, int y) {
  return PixelAt(CommittedSheet(), c.picX + x, c.picY + y);
}

int SilhouetteDifference(const SpriteCell& a, const SpriteCell& b) {
  int differ = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) differ += InSilhouette(a, x, y) != InSilhouette(b, x, y);
  return differ;
}

TEST(PicturesGenerator, ReproducesTheCommittedFilesByteForByte) {
  const art::Pictures built = art::BuildPictures(kAssets / "art");
  EXPECT_TRUE(built.sheetBmp == ReadFile(kAssets / "sheet.bmp")) << "rebuild with the assets target";
  EXPECT_TRUE(built.logoBmp == ReadFile(kAssets / "logo.bmp")) << "rebuild with the assets target";
}

TEST(SheetFiles, SizesAndHeaders) {
  struct Expect {
    const char* file;
    std::uint32_t width, height, size;
  };
  for (const Expect& e : {Expect{"sheet.bmp", 288, 288, 248886}, Expect{"logo.bmp", 96, 128, 36918}}) {
    SCOPED_TRACE(e.file);
    const std::vector<std::uint8_t> b = ReadFile(kAssets / e.file);
    ASSERT_EQ(b.size(), e.size);
    auto u32 = [&](std::size_t at) {
      return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
    };
    auto u16 = [&](std::size_t at) { return b[at] | b[at + 1] << 8; };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(2), e.size);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), e.width);
    EXPECT_EQ(u32(22), e.height);  // positive: bottom-up
    EXPECT_EQ(u16(26), 1);
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(u32(30), 0u);
  }
}

TEST(Sheet, MasksAreSilhouettesOfTheirPictures) {
  for (const NamedSprite& s : kSprites) {
    SCOPED_TRACE(s.name);
    int solid = 0, coloured = 0;
    for (int y = 0; y < s.cell.height; ++y) {
      for (int x = 0; x < s.cell.width; ++x) {
        const Colour mask = PixelAt(CommittedSheet(), s.cell.maskX + x, s.cell.maskY + y);
        ASSERT_TRUE(mask == kWhite || mask == kBlack) << "mask pixel " << x << "," << y;
        if (mask == kBlack) {
          ASSERT_EQ(PictureAt(s.cell, x, y), kWhite) << "picture outside its silhouette at " << x << "," << y;
        }
        solid += mask == kWhite;
        coloured += PictureAt(s.cell, x, y) != kWhite;
      }
    }
    EXPECT_GT(solid, 0);
    EXPECT_GT(coloured, 0);
  }
}

TEST(Sheet, MaskedDrawOverColourLeavesNoWhiteFringe) {
  constexpr Colour kBackground = Rgb(128, 128, 64);
  for (const NamedSprite& s : kSprites) {
    SCOPED_TRACE(s.name);
    Surface scene = MakeSurface(s.cell.width + 8, s.cell.height + 8, kBackground);
    DrawMasked(scene, 4, 4, CommittedSheet(), s.cell);
    for (int y = 0; y < scene.Height; ++y) {
      for (int x = 0; x < scene.Width; ++x) {
        const int cx = x - 4, cy = y - 4;
        const bool inCell = cx >= 0 && cy >= 0 && cx < s.cell.width && cy < s.cell.height;
        const Colour got = PixelAt(scene, x, y);
        if (inCell && InSilhouette(s.cell, cx, cy)) {
          ASSERT_EQ(got, PictureAt(s.cell, cx, cy)) << x << "," << y;
        } else {
          ASSERT_EQ(got, kBackground) << x << "," << y;
        }
      }
    }
  }
}

TEST(Sheet, EachCellHasOnePurposeAndTheRestIsWhite) {
  struct Rect {
    std::string what;
    int x, y, w, h;
  };
  std::vector<Rect> rects{
      {"ground", sheet::kGroundX, sheet::kGroundY, sheet::kGroundSize, sheet::kGroundSize}};
  for (const NamedSprite& s : kSprites) {
    rects.push_back({std::string(s.name) + " mask", s.cell.maskX, s.cell.maskY, s.cell.width, s.cell.height});
    rects.push_back(
        {std::string(s.name) + " picture", s.cell.picX, s.cell.picY, s.cell.width, s.cell.height});
  }
  std::vector<int> owner(sheet::kWidth * sheet::kHeight, -1);
  for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
    const Rect& r = rects[i];
    ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= sheet::kWidth && r.y + r.h <= sheet::kHeight) << r.what;
    for (int y = r.y; y < r.y + r.h; ++y) {
      for (int x = r.x; x < r.x + r.w; ++x) {
        int& o = owner[y * sheet::kWidth + x];
        ASSERT_EQ(o, -1) << r.what << " overlaps " << rects[o].what;
        o = i;
      }
    }
  }
  for (int y = 0; y < sheet::kHeight; ++y)
    for (int x = 0; x < sheet::kWidth; ++x)
      if (owner[y * sheet::kWidth + x] == -1) {
        ASSERT_EQ(PixelAt(CommittedSheet(), x, y), kWhite) << x << "," << y;
      }
}

TEST(Sheet, GroundTileIsOliveWithSixDarkRedSpecks) {
  int specks = 0;
  for (int y = 0; y < sheet::kGroundSize; ++y) {
    for (int x = 0; x < sheet::kGroundSize; ++x) {
      const Colour c = PixelAt(CommittedSheet(), sheet::kGroundX + x, sheet::kGroundY + y);
      if (c == Rgb(128, 0, 0)) {
        ++specks;
      } else {
        ASSERT_EQ(c, Rgb(128, 128, 64)) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(specks, 6);
}

TEST(Sheet, TurnedPicturesAreExactMirrorsAndFlips) {
  struct Pair {
    SpriteCell a, b;
    bool mirror;
  };
  const Pair pairs[] = {{sheet::kFigureA1, sheet::kFigureB1, true},
                        {sheet::kFigureA2, sheet::kFigureB2, true},
                        {sheet::kVehicleDown, sheet::kVehicleUp, false},
                        {sheet::kLaddersAbove, sheet::kLaddersBelow, false},
                        {sheet::kAircraftDown, sheet::kAircraftUp, false}};
  for (const Pair& p : pairs) {
    for (int y = 0; y < p.a.height; ++y) {
      for (int x = 0; x < p.a.width; ++x) {
        const int tx = p.mirror ? p.a.width - 1 - x : x;
        const int ty = p.mirror ? y : p.a.height - 1 - y;
        ASSERT_EQ(PictureAt(p.a, x, y), PictureAt(p.b, tx, ty)) << p.b.picX << "," << p.b.picY;
        ASSERT_EQ(InSilhouette(p.a, x, y), InSilhouette(p.b, tx, ty)) << p.b.maskX << "," << p.b.maskY;
      }
    }
  }
}

TEST(Sheet, SilhouettesTellTheKindsApart) {
  // Told apart without colour: people and money differ in shape, not only in paint.
  const SpriteCell shapes[] = {sheet::kFigureA1, sheet::kLonePerson, sheet::kFamilyCalm, sheet::kBanknote,
                               sheet::kBundle};
  for (const SpriteCell& a : shapes)
    for (const SpriteCell& b : shapes)
      if (&a != &b) {
        EXPECT_GT(SilhouetteDifference(a, b), 60) << a.picX << "," << a.picY << " / " << b.picX;
      }

  // The banknote lies flat and wide; the bundle is a diamond, widest across its middle row.
  auto rowWidth = [](const SpriteCell& c, int y) {
    int n = 0;
    for (int x = 0; x < c.width; ++x) n += InSilhouette(c, x, y);
    return n;
  };
  int noteRows = 0, noteWidest = 0;
  for (int y = 0; y < 32; ++y) {
    noteRows += rowWidth(sheet::kBanknote, y) > 0;
    noteWidest = std::max(noteWidest, rowWidth(sheet::kBanknote, y));
  }
  EXPECT_GT(noteWidest, 2 * noteRows);
  EXPECT_LT(rowWidth(sheet::kBundle, 4), rowWidth(sheet::kBundle, 10));
  EXPECT_LT(rowWidth(sheet::kBundle, 10), rowWidth(sheet::kBundle, 16));
  EXPECT_GT(rowWidth(sheet::kBundle, 16), rowWidth(sheet::kBundle, 22));
  EXPECT_GT(rowWidth(sheet::kBundle, 22), rowWidth(sheet::kBundle, 28));

  // Alternating the distress frames must visibly move something.
  EXPECT_GT(SilhouetteDifference(sheet::kFamilyDistress1, sheet::kFamilyDistress2), 30);
}

TEST(Logo, IsPureBlackOnWhite) {
  const Surface logo = Decoded(ReadFile(kAssets / "logo.bmp"));
  int black = 0;
  for (int y = 0; y < logo.Height; ++y) {
    for (int x = 0; x < logo.Width; ++x) {
      const Colour c = PixelAt(logo, x, y);
      ASSERT_TRUE(c == kBlack || c == kWhite) << x << "," << y;
      black += c == kBlack;
    }
  }
  // Large black areas, so the picture reads while only half of its rows are shown.
  EXPECT_GT(black, logo.Width * logo.Height / 3);
}

TEST(SheetDecodeBmp, ReadsPaddedRowsBottomUpAndTopDown) {
  constexpr int kW = 5, kH = 3;  // 15 bytes a row, stored padded to 16
  std::vector<std::uint8_t> rgb(kW * kH * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + 1);
  std::vector<std::uint8_t> bottomUp = art::EncodeBmp(kW, kH, rgb);
  ASSERT_EQ(bottomUp.size(), 54u + 16 * kH);

  // The same picture stored top-down: negative height, rows reversed.
  std::vector<std::uint8_t> topDown(bottomUp.begin(), bottomUp.begin() + 54);
  const std::int32_t negative = -kH;
  std::memcpy(&topDown[22], &negative, 4);
  for (int row = kH - 1; row >= 0; --row) {
    topDown.insert(topDown.end(), bottomUp.begin() + 54 + row * 16, bottomUp.begin() + 54 + (row + 1) * 16);
  }
  for (const auto* bytes : {&bottomUp, &topDown}) {
    Surface s;
    ASSERT_TRUE(DecodeBmp(*bytes, s));
    EXPECT_EQ(s.Width, kW);
    EXPECT_EQ(s.Height, kH);
    EXPECT_EQ(s.pixels, rgb);
  }
}

TEST(SheetDecodeBmp, RejectsWhatIsNotSuchAPictureAndLeavesTheSurface) {
  const std::vector<std::uint8_t> good = ReadFile(kAssets / "logo.bmp");
  Surface untouched;
  SetGeometry(untouched, 2, 2, 0, 0);
  const std::vector<std::uint8_t> before = untouched.pixels;

  auto patched = [&](std::size_t at, std::vector<std::uint8_t> value) {
    std::vector<std::uint8_t> b = good;
    std::copy(value.begin(), value.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
  };
  std::vector<std::vector<std::uint8_t>> bad = {
      {},
      patched(0, {'P', '6'}),           // not a BMP
      patched(28, {32, 0}),             // 32 bits a pixel
      patched(28, {8, 0}),              // palette picture
      patched(30, {1, 0, 0, 0}),        // run-length compressed
      patched(26, {2, 0}),              // two planes
      patched(18, {0, 0, 0, 0}),        // no width
      patched(22, {0, 0, 0, 0x80}),     // the most negative height
      patched(18, {0xE8, 0x03, 0, 0}),  // wider than the data
      patched(10, {0xF0, 0xFF, 0, 0}),  // pixels past the end
      patched(14, {12, 0, 0, 0}),       // an older header
  };
  for (std::size_t cut :
       {std::size_t{1}, std::size_t{14}, std::size_t{53}, std::size_t{54}, good.size() - 1}) {
    bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
  }
  std::mt19937 random(12345);
  for (int i = 0; i < 50; ++i) {
    std::vector<std::uint8_t> garbage(static_cast<std::size_t>(random() % 300));
    for (auto& byte : garbage) byte = static_cast<std::uint8_t>(random());
    if (garbage.size() >= 2 && i % 2 == 0) garbage[0] = 'B', garbage[1] = 'M';
    bad.push_back(garbage);
  }
  for (std::size_t i = 0; i < bad.size(); ++i) {
    EXPECT_FALSE(DecodeBmp(bad[i], untouched)) << "case " << i;
    EXPECT_EQ(untouched.Width, 2);
    EXPECT_EQ(untouched.pixels, before);
  }
}

TEST(SheetLoad, BuiltInPicturesEqualTheCommittedFiles) {
  const Surface sheet = LoadSheet();
  EXPECT_EQ(sheet.Width, sheet::kWidth);
  EXPECT_EQ(sheet.Height, sheet::kHeight);
  EXPECT_TRUE(sheet.pixels == CommittedSheet().pixels);

  const Surface logo = LoadLogo();
  EXPECT_EQ(logo.Width, logo::kWidth);
  EXPECT_EQ(logo.Height, logo::kHeight);
  EXPECT_TRUE(logo.pixels == Decoded(ReadFile(kAssets / "logo.bmp")).pixels);
}

}  // namespace
}  // namespace talvessa
