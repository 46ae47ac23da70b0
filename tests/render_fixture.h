// The fixture of the drawing tests: a synthetic sprite sheet whose every cell has its own flat colour, and
// pictures of what each pass should leave, painted independently of the masked draw and the text printing.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "block_glyphs.h"
#include "present/sheet.h"
#include "render/render.h"
#include "pixel_at.h"

namespace talvessa::testing {

// Every sprite cell of the sheet, each given its own flat colour in the synthetic sheet below.
constexpr SpriteCell kCells[] = {
    sheet::kFlag,
    sheet::kVanA,
    sheet::kVanB,
    sheet::kFigureA1,
    sheet::kFigureA2,
    sheet::kFigureB1,
    sheet::kFigureB2,
    sheet::kVehicleDown,
    sheet::kVehicleUp,
    sheet::kLaddersAbove,
    sheet::kLaddersBelow,
    sheet::kAircraftDown,
    sheet::kAircraftUp,
    sheet::kBanknote,
    sheet::kBundle,
    sheet::kLonePerson,
    sheet::kFamilyCalm,
    sheet::kFamilyDistress1,
    sheet::kFamilyDistress2,
    sheet::kBurstClosed,
    sheet::kBurstOpening,
    sheet::kBurstOpen,
    sheet::kBubble1,
    sheet::kBubble2,
};

constexpr Colour kUnused = Rgb(77, 77, 77);     // sheet pixels outside every cell
constexpr Colour kField = Rgb(30, 90, 60);      // what the composition holds before a pass
constexpr Colour kGround = Rgb(140, 120, 100);  // what the background holds before a pass
constexpr Colour kCornerDot = Rgb(189, 192, 34);
inline const std::string kFace = "Test Gothic";

inline bool SameCell(const SpriteCell& a, const SpriteCell& b) {
  return a.maskX == b.maskX && a.maskY == b.maskY && a.picX == b.picX && a.picY == b.picY;
}

inline Colour ColourOf(const SpriteCell& cell) {
  for (int i = 0; i < static_cast<int>(std::size(kCells)); ++i) {
    if (SameCell(kCells[i], cell)) return Rgb(20 + 9 * i, 60 + 5 * i, 220 - 7 * i);
  }
  ADD_FAILURE() << "cell not on the synthetic sheet";
  return kBlack;
}

// A ground tile with a colour per pixel, so a misplaced or partial tile shows.
inline Colour GroundPixel(int x, int y) { return Rgb(3 * x + 1, 5 * y + 2, 40); }

// Every sprite's silhouette is its cell less a one-pixel frame, so where it lands shows to the pixel;
// pictures are flat colours on white, masks the silhouettes in white on black.
inline Surface SyntheticSheet() {
  Surface chip = MakeSurface(sheet::kWidth, sheet::kHeight, kUnused);
  std::vector<bool> taken(sheet::kWidth * sheet::kHeight, false);
  auto claim = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) {
        if (taken[y * sheet::kWidth + x]) ADD_FAILURE() << "sheet cells overlap at " << x << "," << y;
        taken[y * sheet::kWidth + x] = true;
      }
    }
  };
  for (const SpriteCell& c : kCells) {
    claim(c.picX, c.picY, c.width, c.height);
    claim(c.maskX, c.maskY, c.width, c.height);
    FillRect(chip, c.picX, c.picY, c.width, c.height, kWhite);
    FillRect(chip, c.picX + 1, c.picY + 1, c.width - 2, c.height - 2, ColourOf(c));
    FillRect(chip, c.maskX, c.maskY, c.width, c.height, kBlack);
    FillRect(chip, c.maskX + 1, c.maskY + 1, c.width - 2, c.height - 2, kWhite);
  }
  claim(sheet::kGroundX, sheet::kGroundY, sheet::kGroundSize, sheet::kGroundSize);
  for (int y = 0; y < sheet::kGroundSize; ++y) {
    for (int x = 0; x < sheet::kGroundSize; ++x) {
      SetPoint(chip, sheet::kGroundX + x, sheet::kGroundY + y, GroundPixel(x, y));
    }
  }
  return chip;
}


// What the passes should leave, painted independently of the masked draw and the text printing.
inline void PaintSprite(Surface& s, int x, int y, const SpriteCell& c) {
  FillRect(s, x + 1, y + 1, c.width - 2, c.height - 2, ColourOf(c));
}
inline void PaintText(Surface& s, int x, int y, int size, Colour colour, const std::string& text) {
  for (int k = 0; k < CodePoints(text); ++k) FillRect(s, x + kAdvance * k, y, kGlyphWidth, size, colour);
}
// A shadowed text: black one pixel up and left of (x, y), then white at (x, y).
inline void PaintShadowed(Surface& s, int x, int y, int size, std::int32_t number) {
  PaintText(s, x - 1, y - 1, size, kBlack, NumberText(number));
  PaintText(s, x, y, size, kWhite, NumberText(number));
}

inline ::testing::AssertionResult SamePicture(const Surface& actual, const Surface& expected) {
  if (actual.Width != expected.Width || actual.Height != expected.Height) {
    return ::testing::AssertionFailure() << "sizes differ";
  }
  int wrong = 0;
  std::string first;
  for (int y = 0; y < actual.Height; ++y) {
    for (int x = 0; x < actual.Width; ++x) {
      const Colour a = PixelAt(actual, x, y), e = PixelAt(expected, x, y);
      if (a == e) continue;
      if (wrong++ == 0) {
        char line[96];
        std::snprintf(line, sizeof line, "first at %d,%d: %06X, expected %06X", x, y, a, e);
        first = line;
      }
    }
  }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels differ; " << first;
}

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() : chip(SyntheticSheet()), text(&glyphs) {
    // Units left as the zeroed world has them would be waiting figures; park them all out of sight.
    for (Unit& u : world.Units) u.State = unit::VehicleParked;
    Fresh();
  }
  // A new frame: the composition back to its flat field, the expected picture likewise.
  void Fresh() {
    composition = MakeSurface(kFieldWidth, kFieldHeight, kField);
    composition.FontName = kFace;
    expected = composition;
  }

  World world;
  Surface chip;
  Surface composition;
  Surface expected;
  Surface background = MakeSurface(kFieldWidth, kFieldHeight, kGround);
  BlockGlyphs glyphs;
  Text text;
};

using RenderBackground = RenderTest;
using RenderFlagAndVan = RenderTest;
using RenderUnits = RenderTest;
using RenderShots = RenderTest;
using RenderHostages = RenderTest;
using RenderBursts = RenderTest;
using RenderPopups = RenderTest;
using RenderBubbles = RenderTest;
using RenderFunds = RenderTest;
using RenderPasses = RenderTest;

}  // namespace talvessa::testing
