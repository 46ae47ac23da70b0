#include "present/surface.h"

#include <gtest/gtest.h>

#include "block_glyphs.h"
#include "present/text.h"
#include "present/window_view.h"
#include "pixel_at.h"

namespace talvessa {
namespace {

Surface Filled(int w, int h, Colour colour) {
  Surface s;
  s.BackColor = colour;
  SetGeometry(s, w, h, 0, 0);
  return s;
}

// A source whose every pixel has its own colour, so a misplaced copy shows.
Surface Numbered(int w, int h) {
  Surface s = Filled(w, h, kBlack);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) SetPoint(s, x, y, Rgb(x * 7 % 256, y * 11 % 256, (x + y) % 256 | 1));
  }
  return s;
}

// Every pixel of `dest` must be either the copied source pixel (inside the expected rectangle) or
// untouched.
void ExpectCopied(const Surface& dest, Colour background, const Surface& src, int dx, int dy, int sx, int sy,
                  int x0, int y0, int x1, int y1) {
  for (int y = 0; y < dest.Height; ++y) {
    for (int x = 0; x < dest.Width; ++x) {
      const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
      const Colour expected = inside ? PixelAt(src, x - dx + sx, y - dy + sy) : background;
      ASSERT_EQ(PixelAt(dest, x, y), expected) << "at " << x << "," << y;
    }
  }
}

TEST(Blit, RasterOperationsCombineEachChannel) {
  Surface dest = Filled(2, 1, Rgb(0x0F, 0xF0, 0x55));
  Surface src = Filled(2, 1, Rgb(0x3C, 0x3C, 0xAA));

  Blit(dest, 0, 0, 1, 1, src, 0, 0, Rop::SrcPaint);
  EXPECT_EQ(PixelAt(dest, 0, 0), Rgb(0x3F, 0xFC, 0xFF));
  Blit(dest, 1, 0, 1, 1, src, 1, 0, Rop::SrcAnd);
  EXPECT_EQ(PixelAt(dest, 1, 0), Rgb(0x0C, 0x30, 0x00));
  Blit(dest, 0, 0, 2, 1, src, 0, 0, Rop::SrcCopy);
  EXPECT_EQ(PixelAt(dest, 0, 0), Rgb(0x3C, 0x3C, 0xAA));
  EXPECT_EQ(PixelAt(dest, 1, 0), Rgb(0x3C, 0x3C, 0xAA));
}

TEST(Blit, IsCutAtEveryEdgeOfTheDestination) {
  const Surface src = Numbered(10, 10);
  const Colour bg = Rgb(1, 2, 3);
  for (Rop rop : {Rop::SrcCopy, Rop::SrcPaint, Rop::SrcAnd}) {
    // Off the left and top edges.
    Surface dest = Filled(8, 6, rop == Rop::SrcAnd ? kWhite : kBlack);
    const Colour back = dest.BackColor;
    Blit(dest, -3, -2, 6, 5, src, 1, 1, rop);
    ExpectCopied(dest, back, src, -3, -2, 1, 1, 0, 0, 3, 3);
    // Off the right and bottom edges: nothing wraps onto the next row or the top.
    dest = Filled(8, 6, back);
    Blit(dest, 5, 4, 6, 5, src, 0, 0, rop);
    ExpectCopied(dest, back, src, 5, 4, 0, 0, 5, 4, 8, 6);
  }
  Surface dest = Filled(8, 6, bg);
  Blit(dest, 8, 0, 4, 4, src, 0, 0, Rop::SrcCopy);    // wholly right of it
  Blit(dest, 0, -4, 4, 4, src, 0, 0, Rop::SrcCopy);   // wholly above it
  Blit(dest, 0, 0, 0, 4, src, 0, 0, Rop::SrcCopy);    // empty
  Blit(dest, 0, 0, -4, -4, src, 0, 0, Rop::SrcCopy);  // negative size
  ExpectCopied(dest, bg, src, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(Blit, IsCutAtEveryEdgeOfTheSource) {
  const Surface src = Numbered(6, 5);
  const Colour bg = Rgb(9, 9, 9);
  // Source rectangle starting left of and above the source: only its part on the source is copied,
  // to the matching place.
  Surface dest = Filled(10, 10, bg);
  Blit(dest, 2, 2, 5, 5, src, -2, -1, Rop::SrcCopy);
  ExpectCopied(dest, bg, src, 2, 2, -2, -1, 4, 3, 7, 7);
  // Reaching past its right and bottom edges.
  dest = Filled(10, 10, bg);
  Blit(dest, 1, 1, 8, 8, src, 3, 2, Rop::SrcCopy);
  ExpectCopied(dest, bg, src, 1, 1, 3, 2, 1, 1, 4, 4);
}

TEST(Blit, HugeCoordinatesDoNotOverflow) {
  const Surface src = Numbered(4, 4);
  Surface dest = Filled(4, 4, kBlack);
  Blit(dest, INT32_MAX - 1, 0, INT32_MAX, 4, src, 0, 0, Rop::SrcCopy);
  Blit(dest, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, src, 0, 0, Rop::SrcCopy);
  ExpectCopied(dest, kBlack, src, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(Blit, OverlappingCopyWithinOneSurfaceReadsTheOriginal) {
  Surface s = Numbered(6, 1);
  const Surface before = s;
  Blit(s, 1, 0, 5, 1, s, 0, 0, Rop::SrcCopy);
  for (int x = 1; x < 6; ++x) EXPECT_EQ(PixelAt(s, x, 0), PixelAt(before, x - 1, 0));
}

// A 4 x 2 sprite sheet: a mask (white silhouette on black) beside its picture (on white). The
// silhouette's left pixel is white paint inside the picture.
Surface SheetWithSprite() {
  Surface sheet = Filled(8, 2, kWhite);
  FillRect(sheet, 0, 0, 4, 2, kBlack);
  FillRect(sheet, 1, 0, 2, 2, kWhite);      // mask: columns 1 and 2
  SetPoint(sheet, 6, 0, Rgb(200, 16, 32));  // picture: red at column 2, row 0
  SetPoint(sheet, 6, 1, Rgb(56, 120, 48));  //          green at column 2, row 1
  return sheet;
}

TEST(MaskedDraw, ShowsExactColoursInsideAndKeepsTheBackgroundOutside) {
  const Surface sheet = SheetWithSprite();
  const Colour ground = Rgb(128, 128, 64);
  Surface dest = Filled(6, 4, ground);
  DrawMasked(dest, 1, 1, sheet, SpriteCell{0, 0, 4, 0, 4, 2});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      Colour expected = ground;
      if (y >= 1 && y <= 2 && x == 2) expected = kWhite;  // white inside the silhouette is paint
      if (y == 1 && x == 3) expected = Rgb(200, 16, 32);
      if (y == 2 && x == 3) expected = Rgb(56, 120, 48);
      EXPECT_EQ(PixelAt(dest, x, y), expected) << x << "," << y;
    }
  }
}

TEST(MaskedDraw, PartlyOffTheSurfaceIsCutNotWrapped) {
  const Surface sheet = SheetWithSprite();
  Surface dest = Filled(3, 3, kBlack);
  DrawMasked(dest, -2, 2, sheet, SpriteCell{0, 0, 4, 0, 4, 2});
  EXPECT_EQ(PixelAt(dest, 0, 2), Rgb(200, 16, 32));
  EXPECT_EQ(PixelAt(dest, 1, 2), kBlack);
  EXPECT_EQ(PixelAt(dest, 2, 1), kBlack);  // nothing wrapped to the end of the row above
  EXPECT_EQ(PixelAt(dest, 0, 0), kBlack);  // nor to the top
}

Displays FieldDisplays() {
  Displays display;
  for (int i = 0; i < 3; ++i) {
    display[i].BackColor = Rgb(i * 50, 0, 0);
    SetGeometry(display[i], 512, 384, 32, 32);
  }
  display[1] = Numbered(512, 384);
  return display;
}

TEST(CopyRegion, ThirtySixColumnsOntoTheFieldCopyOnlyThe512PixelsThatExist) {
  Displays display = FieldDisplays();
  CopyRegion(display, 1, 0, 0, 0, 36, 24);
  EXPECT_EQ(display[0].Width, 512);
  EXPECT_EQ(display[0].pixels, display[1].pixels);
}

TEST(CopyRegion, CopiesSixteenPixelUnitsToTheSamePlace) {
  Displays display = FieldDisplays();
  const Colour bg = display[2].BackColor;
  CopyRegion(display, 1, 2, 2, 1, 4, 3);
  ExpectCopied(display[2], bg, display[1], 0, 0, 0, 0, 32, 16, 64, 48);
  EXPECT_THROW(CopyRegion(display, 3, 0, 0, 0, 1, 1), std::out_of_range);
}

TEST(SetGeometry, KeepsWhatStillFitsAndFillsTheRestWithTheBackground) {
  Surface s = Numbered(4, 3);
  const Surface before = s;
  s.BackColor = Rgb(5, 6, 7);
  SetGeometry(s, 5, 2, 32, 32);
  EXPECT_EQ(s.Left, 32);
  EXPECT_EQ(s.Top, 32);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(s, x, y), PixelAt(before, x, y));
    EXPECT_EQ(PixelAt(s, 4, y), Rgb(5, 6, 7));
  }
}

class CountingWatcher final : public SurfaceWatcher {
 public:
  void SurfaceChanged(const Surface&) override { ++changes; }
  int changes = 0;
};

TEST(VisibleSurface, IsShownAfterEveryCopyThatChangesItAndOnlyThen) {
  Displays display = FieldDisplays();
  CountingWatcher window;
  display[0].watcher = &window;
  CopyRegion(display, 1, 0, 0, 0, 32, 24);
  EXPECT_EQ(window.changes, 1);
  CopyRegion(display, 1, 0, 0, 0, 32, 24);  // the same picture again: nothing to show
  EXPECT_EQ(window.changes, 1);
  SetPoint(display[1], 100, 100, Rgb(1, 1, 1));
  CopyRegion(display, 1, 0, 0, 0, 32, 24);
  EXPECT_EQ(window.changes, 2);
  EXPECT_EQ(PixelAt(display[0], 100, 100), Rgb(1, 1, 1));
}

// Text printed straight onto the visible surface is shown like any other drawing; the same text printed
// again in the same place changes nothing and shows nothing new.
TEST(VisibleSurface, IsShownAfterAPrintThatChangesItAndOnlyThen) {
  Displays display = FieldDisplays();
  CountingWatcher window;
  display[kVisible].watcher = &window;
  BlockGlyphs glyphs;
  Text text(&glyphs);
  const Colour ink = Rgb(10, 200, 30);
  PrintText(text, display[kVisible], 40, 50, 12, true, ink, "PAUSE");
  EXPECT_EQ(window.changes, 1);
  EXPECT_EQ(PixelAt(display[kVisible], 40, 50), ink);
  PrintText(text, display[kVisible], 40, 50, 12, true, ink, "PAUSE");
  EXPECT_EQ(window.changes, 1);
}

TEST(ComposeWindow, PlacesTheVisibleSurfaceOverBlackAndCutsItAtTheWindowEdge) {
  Surface visible = Numbered(512, 384);
  visible.Left = 32;
  visible.Top = 32;
  WindowPicture picture;
  std::fill(picture.rgb.begin(), picture.rgb.end(), std::uint8_t{0xAB});
  ComposeWindow(visible, picture);
  auto at = [&](int x, int y) {
    const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * WindowPicture::kWidth + x) * 3];
    return Rgb(p[0], p[1], p[2]);
  };
  EXPECT_EQ(at(0, 0), kBlack);
  EXPECT_EQ(at(31, 200), kBlack);
  EXPECT_EQ(at(544, 200), kBlack);
  EXPECT_EQ(at(300, 416), kBlack);
  EXPECT_EQ(at(32, 32), PixelAt(visible, 0, 0));
  EXPECT_EQ(at(543, 415), PixelAt(visible, 511, 383));

  visible.Left = 100;  // reaches past the right edge of the window
  visible.Top = -10;
  ComposeWindow(visible, picture);
  EXPECT_EQ(at(575, 0), PixelAt(visible, 475, 10));
  EXPECT_EQ(at(99, 5), kBlack);
}

}  // namespace
}  // namespace talvessa
