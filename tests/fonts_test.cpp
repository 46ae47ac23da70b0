#include "platform/sdl/fonts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "platform/sdl/fonts_on_thread.h"
#include "present/text.h"
#include "support/counting_glyphs.h"
#include "support/scratch_folder.h"

namespace talvessa {
namespace {

const std::string kGothic = "ＭＳ Ｐゴシック";
const std::string kBrush = "HG正楷書体-PRO";

// Every text the game prints.
const std::vector<std::string> kGameTexts = {"PAUSE",
                                             " 3000 ",
                                             "-5 ",
                                             "GAME",
                                             "OVER",
                                             "救出した人数 ：",
                                             "救出されなかった人数 ：",
                                             "放った実弾 ：",
                                             "国民一人当たりの負担額 ：",
                                             "１２７７１万人",
                                             "21兆4748億3647万円",
                                             "テロリスト達は、",
                                             "帰って行ってしまいました",
                                             "スペースキーを押して下さい",
                                             "Talvessa"};

struct Use {
  const std::string* face;
  int points;
  bool bold;
};
const std::vector<Use> kUses = {{&kGothic, 12, true}, {&kGothic, 16, true}, {&kBrush, 12, true},
                                {&kBrush, 12, false}, {&kBrush, 16, true},  {&kBrush, 22, false}};

int Ink(const TextImage& image) { return std::accumulate(image.coverage.begin(), image.coverage.end(), 0); }

// The family the game's texts are drawn in: the brush face only from 20 points, where it reads.
std::string FamilyOf(const Use& use) {
  if (use.face == &kGothic) return "IPAPGothic";
  return use.points >= 20 ? "KouzanBrushFont" : "IPAPMincho";
}

class Fonts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    fonts_ = OpenFontRasterizer(error).release();
    ASSERT_NE(fonts_, nullptr) << error;
  }
  static void TearDownTestSuite() {
    delete fonts_;
    fonts_ = nullptr;
  }

  static TextImage Line(const std::string& face, int points, bool bold, const std::string& text) {
    TextImage image;
    EXPECT_TRUE(fonts_->Rasterize(face, points, bold, text, image)) << face << " " << points << " " << text;
    return image;
  }

  static FontRasterizer* fonts_;
};
FontRasterizer* Fonts::fonts_ = nullptr;

// The "-" in the brush face's name would start a point size in fontconfig's name syntax. Below 20
// points the brush strokes run together, and the screens' face is drawn in the Mincho.
TEST_F(Fonts, GameNamesResolveToTheirAliasedFamiliesBySize) {
  for (const Use& use : {Use{&kGothic, 12, true}, Use{&kGothic, 40, false}, Use{&kBrush, 12, false},
                         Use{&kBrush, 19, true}, Use{&kBrush, 20, true}, Use{&kBrush, 22, false}}) {
    EXPECT_EQ(fonts_->FamilyFor(*use.face, use.points, use.bold, "GAME"), FamilyOf(use))
        << *use.face << " " << use.points;
  }
}

TEST_F(Fonts, EveryGameTextRendersSmoothedInEveryUse) {
  for (const Use& use : kUses) {
    for (const std::string& text : kGameTexts) {
      SCOPED_TRACE(*use.face + " " + std::to_string(use.points) + (use.bold ? " bold: " : ": ") + text);
      const TextImage image = Line(*use.face, use.points, use.bold, text);
      ASSERT_GT(image.width, 0);
      ASSERT_GT(image.height, 0);
      ASSERT_EQ(image.coverage.size(), static_cast<std::size_t>(image.width) * image.height);
      EXPECT_GT(Ink(image), 0);
      EXPECT_TRUE(std::any_of(image.coverage.begin(), image.coverage.end(),
                              [](std::uint8_t c) { return c > 0 && c < 255; }));
      EXPECT_EQ(fonts_->FamilyFor(*use.face, use.points, use.bold, text), FamilyOf(use));
    }
  }
}

TEST_F(Fonts, BoldIsDarkerAndLargerIsTaller) {
  for (const std::string* face : {&kGothic, &kBrush}) {
    SCOPED_TRACE(*face);
    const TextImage regular = Line(*face, 16, false, "GAME OVER");
    const TextImage bold = Line(*face, 16, true, "GAME OVER");
    EXPECT_GT(Ink(bold), Ink(regular));
    EXPECT_GE(bold.width, regular.width);
    EXPECT_GT(Line(*face, 16, true, "救出").height, Line(*face, 12, true, "救出").height);
    EXPECT_GT(Line(*face, 22, false, "Talvessa").width, Line(*face, 12, false, "Talvessa").width);
  }
}

// The top row is the top of the character cell whatever the line holds, so every pixel of a line is
// on the same row alone and ahead of characters that reach lower ("、") or higher ("Å" at 22 points
// rises above IPAPGothic's cell, and SDL_ttf moves the whole line down for it). Only the smoothed edge
// of the next character may add to the last columns.
TEST_F(Fonts, GlyphsKeepTheirRowsWhateverFollowsThem) {
  struct Case {
    const std::string* face;
    int points;
    std::string alone, longer;
  };
  for (const Case& c : {Case{&kGothic, 12, "OVER", "OVER、救"}, Case{&kBrush, 12, "OVER", "OVER、救"},
                        Case{&kBrush, 22, "OVER", "OVER、救"}, Case{&kGothic, 22, "x", "xÅ"}}) {
    SCOPED_TRACE(*c.face + " " + c.longer);
    const TextImage alone = Line(*c.face, c.points, true, c.alone);
    const TextImage longer = Line(*c.face, c.points, true, c.longer);
    ASSERT_GE(longer.height, alone.height);
    ASSERT_GT(longer.width, alone.width);
    for (int row = 0; row < alone.height; ++row) {
      for (int col = 0; col < alone.width; ++col) {
        const std::uint8_t before = alone.coverage[row * alone.width + col];
        const std::uint8_t after = longer.coverage[row * longer.width + col];
        if (col < alone.width / 2) {
          ASSERT_EQ(after, before) << "at " << col << "," << row;
        } else {
          ASSERT_GE(after, before) << "at " << col << "," << row;
        }
      }
    }
  }
}

// KouzanBrushFont claims "〖" but draws nothing for it, and lacks "〻": the line goes to IPAPMincho
// even at a size the brush face is drawn at.
TEST_F(Fonts, LinesTheBrushFaceCannotDrawFallToTheNextStandIn) {
  for (const std::string text : {"〖一〗", "〻"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(fonts_->FamilyFor(kBrush, 22, true, text), "IPAPMincho");
    EXPECT_GT(Ink(Line(kBrush, 22, true, text)), 0);
  }
}

TEST_F(Fonts, NoFaceOutsideTheAliasesIsEverUsed) {
  TextImage image;
  // DejaVu Sans is what fontconfig answers for any name, and it is installed; it must not be taken.
  for (const std::string face : {"ＭＳ 明朝", "DejaVu Sans", ""}) {
    EXPECT_FALSE(fonts_->Rasterize(face, 12, true, "PAUSE", image)) << face;
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.coverage.empty());
  }
  // Georgian is in DejaVu only: the Gothic refuses it rather than fall back.
  EXPECT_FALSE(fonts_->Rasterize(kGothic, 12, true, "ა", image));
  EXPECT_EQ(fonts_->FamilyFor(kGothic, 12, true, "ა"), "");
  EXPECT_FALSE(fonts_->Rasterize(kGothic, 12, true, "\xE6\x95", image));  // cut short
  EXPECT_FALSE(fonts_->Rasterize(kGothic, 0, true, "PAUSE", image));
}

TEST_F(Fonts, AShadowedLabelPrintedTwiceLooksAsPrintedOnce) {
  CountingGlyphs counted(*fonts_);
  Text text(&counted);
  Surface surface;
  surface.BackColor = Rgb(40, 90, 160);
  SetGeometry(surface, 64, 24, 0, 0);
  surface.FontName = kGothic;
  const std::vector<std::uint8_t> background = surface.pixels;
  auto shadowed = [&] {
    PrintText(text, surface, 4, 3, 12, true, kBlack, "PAUSE");
    PrintText(text, surface, 5, 4, 12, true, kWhite, "PAUSE");
  };
  shadowed();
  const std::vector<std::uint8_t> once = surface.pixels;
  shadowed();
  EXPECT_NE(once, background);
  EXPECT_EQ(surface.pixels, once);
  EXPECT_EQ(counted.count, 1u);
}

// One row of glyph pixels, from no coverage to full.
class RampGlyphs final : public GlyphRasterizer {
 public:
  bool Rasterize(const std::string&, int, bool, const std::string&, TextImage& out) override {
    out.width = 6;
    out.height = 1;
    out.coverage = {0, 1, 64, 128, 200, 255};
    return true;
  }
};

// Each channel of a pixel moves from the ground towards the text's colour, never past it, the further the
// more a glyph covers it, and takes the colour itself under full coverage: so white text only lightens
// and black text only darkens. A second print over the first changes nothing, on any ground.
TEST(TextCompositing, PixelsMoveTowardsTheColourAsFarAsCoveredAndASecondPrintChangesNothing) {
  RampGlyphs ramp;
  Text text(&ramp);
  for (const Colour ground : {kBlack, kWhite, Rgb(128, 128, 64), Rgb(189, 192, 34), Rgb(30, 200, 90)}) {
    for (const Colour ink : {kWhite, Rgb(200, 240, 20), kBlack, Rgb(40, 20, 90)}) {
      SCOPED_TRACE(std::to_string(ground) + " under " + std::to_string(ink));
      Surface surface;
      surface.BackColor = ground;
      SetGeometry(surface, 6, 1, 0, 0);
      PrintText(text, surface, 0, 0, 12, false, ink, "x");
      const std::vector<std::uint8_t> once = surface.pixels;
      PrintText(text, surface, 0, 0, 12, false, ink, "x");
      EXPECT_EQ(surface.pixels, once);
      for (int channel = 0; channel < 3; ++channel) {
        const int g = (ground >> (8 * channel)) & 0xFF, c = (ink >> (8 * channel)) & 0xFF;
        EXPECT_EQ(once[channel], g);
        EXPECT_EQ(once[5 * 3 + channel], c);
        for (int col = 1; col < 6; ++col) {
          const int before = once[(col - 1) * 3 + channel], now = once[col * 3 + channel];
          EXPECT_LE(std::abs(now - c), std::abs(before - c)) << "channel " << channel << " at " << col;
          EXPECT_LE(std::abs(now - c) + std::abs(now - g), std::abs(g - c)) << "past the colour at " << col;
        }
      }
    }
  }
}

// The page's faces, cut down to the characters the game prints, draw every text of the game in every use
// exactly as the desktop's full faces found by fontconfig: same family, same pixels. A character the cut
// lacks makes its line fall to another family or be refused.
TEST_F(Fonts, TheFacesCutForThePageDrawEveryGameTextAsTheDesktopDoes) {
  std::string error;
  std::unique_ptr<FontRasterizer> cut = OpenFontRasterizerFromFiles(TALVESSA_WEB_FACES_DIR, error);
  ASSERT_NE(cut, nullptr) << error;
  for (const Use& use : kUses) {
    for (const std::string& text : kGameTexts) {
      SCOPED_TRACE(*use.face + " " + std::to_string(use.points) + " " + text);
      EXPECT_EQ(cut->FamilyFor(*use.face, use.points, use.bold, text), FamilyOf(use));
      TextImage fromCut;
      ASSERT_TRUE(cut->Rasterize(*use.face, use.points, use.bold, text, fromCut));
      const TextImage desktop = Line(*use.face, use.points, use.bold, text);
      EXPECT_EQ(fromCut.width, desktop.width);
      EXPECT_EQ(fromCut.height, desktop.height);
      EXPECT_TRUE(fromCut.coverage == desktop.coverage);
    }
  }
}

// A folder of faces with some missing or damaged: what is there draws, the rest is left out as fontconfig
// leaves out a face that is not installed, and a folder with none refuses every line.
TEST(FontsFromFiles, MissingAndDamagedFacesAreLeftOut) {
  const std::filesystem::path faces = TALVESSA_WEB_FACES_DIR;
  testing::ScratchFolder folder("fonts-from-files");
  std::filesystem::copy_file(faces / "IPAPMincho.ttf", folder / "IPAPMincho.ttf");
  folder.WriteText("IPAPGothic.ttf", "not a font");
  struct Case {
    std::filesystem::path folder;
    const std::string* face;
    int points;
    std::string family;  // empty: refused
  };
  const std::vector<Case> cases = {
      {folder.path(), &kGothic, 12, ""},          {folder.path(), &kBrush, 12, "IPAPMincho"},
      {folder.path(), &kBrush, 22, "IPAPMincho"}, {folder / "none", &kGothic, 12, ""},
      {folder / "none", &kBrush, 22, ""},         {faces, &kBrush, 22, "KouzanBrushFont"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.string() + " " + *c.face + " " + std::to_string(c.points));
    std::string error;
    std::unique_ptr<FontRasterizer> fonts = OpenFontRasterizerFromFiles(c.folder.string(), error);
    ASSERT_NE(fonts, nullptr) << error;
    EXPECT_EQ(fonts->FamilyFor(*c.face, c.points, false, "GAME"), c.family);
    TextImage image;
    EXPECT_EQ(fonts->Rasterize(*c.face, c.points, false, "GAME", image), !c.family.empty());
    EXPECT_EQ(image.coverage.empty(), c.family.empty());
  }
}

// No face found: the rasteriser does not open and says so, and the game's text draws nothing without it.
TEST(FontsWithoutFonts, NoRasteriserOpensAndNothingIsDrawn) {
  std::string error;
  std::unique_ptr<FontRasterizer> fonts =
      OpenFontRasterizerWithConfiguration("<fontconfig></fontconfig>", error);
  EXPECT_EQ(fonts, nullptr);
  EXPECT_EQ(error, "no faces found");

  Text text(fonts.get());
  Surface surface;
  SetGeometry(surface, 32, 16, 0, 0);
  surface.FontName = kGothic;
  const std::vector<std::uint8_t> before = surface.pixels;
  PrintText(text, surface, 0, 0, 12, true, kBlack, "PAUSE");
  EXPECT_EQ(surface.pixels, before);
}

TEST(FontsWithoutFonts, AConfigurationThatDoesNotParseFailsToOpen) {
  std::string error;
  EXPECT_EQ(OpenFontRasterizerWithConfiguration("<fontconfig><match>", error), nullptr);
  EXPECT_FALSE(error.empty());
}

// The game's fonts open on their thread once told to, or at the first line if never told: the lines are
// the rasteriser's own either way, and one never used is put away without waiting for anything.
TEST(FontsOnThread, DrawTheRasterisersLinesWhetherStartedFirstOrNot) {
  std::string error;
  const std::unique_ptr<FontRasterizer> direct = OpenFontRasterizer(error);
  ASSERT_NE(direct, nullptr) << error;
  TextImage wanted;
  ASSERT_TRUE(direct->Rasterize(kBrush, 22, false, "GAME OVER", wanted));
  for (const int starts : {0, 1, 2}) {
    FontsOnThread fonts([](const std::string& why) { ADD_FAILURE() << why; });
    for (int i = 0; i < starts; ++i) fonts.Start();
    TextImage image;
    EXPECT_TRUE(fonts.Rasterize(kBrush, 22, false, "GAME OVER", image)) << starts;
    EXPECT_EQ(image.width, wanted.width) << starts;
    EXPECT_EQ(image.height, wanted.height) << starts;
    EXPECT_TRUE(image.coverage == wanted.coverage) << starts;
  }
  FontsOnThread unused(nullptr);
}

}  // namespace
}  // namespace talvessa
