#include <SDL_ttf.h>

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "formats/utf8.h"
#include "platform/fonts/fonts.h"

namespace talvessa {

namespace {

constexpr unsigned kDpi = 96;

// Characters that rightly draw nothing.
bool IsBlank(char32_t point) { return point == U' ' || point == U'\u00A0' || point == U'\u3000'; }

// A face fit to draw a line, and how far its glyphs rise above the top of the character cell.
struct Fit {
  TTF_Font* font = nullptr;
  const StandIn* standIn = nullptr;
  int rise = 0;
};

class TtfRasterizer final : public FontRasterizer {
 public:
  explicit TtfRasterizer(std::unique_ptr<FaceFinder> faces) : faces_(std::move(faces)) {}

  ~TtfRasterizer() override {
    for (auto& [key, font] : fonts_) {
      if (font != nullptr) TTF_CloseFont(font);
    }
    TTF_Quit();
  }

  TtfRasterizer(const TtfRasterizer&) = delete;
  TtfRasterizer& operator=(const TtfRasterizer&) = delete;

  bool Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                 TextImage& out) override {
    out = TextImage{};
    const std::optional<Fit> fit = FitFor(face, points, bold, utf8);
    return fit && Draw(*fit, utf8, out);
  }

  std::string FamilyFor(const std::string& face, int points, bool bold, const std::string& utf8) override {
    const std::optional<Fit> fit = FitFor(face, points, bold, utf8);
    return fit ? fit->standIn->family : std::string();
  }

 private:
  // The first stand-in of `face` drawn at this size that has every character of the line, with ink for
  // all but blanks. The glyph box is what counts: some faces claim glyphs that draw nothing, and a
  // missing glyph still has the box of the "missing" sign.
  std::optional<Fit> FitFor(const std::string& face, int points, bool bold, const std::string& utf8) {
    if (points <= 0) return std::nullopt;
    const std::optional<std::vector<char32_t>> line = DecodeUtf8(utf8);
    if (!line || line->empty()) return std::nullopt;
    for (const StandIn& standIn : faces_->StandInsFor(face)) {
      if (points < standIn.fromPoints) continue;
      TTF_Font* font = FontAt(standIn, points, bold);
      if (font == nullptr) continue;
      const int ascent = TTF_FontAscent(font);
      Fit fit{font, &standIn, 0};
      bool drawable = true;
      for (char32_t point : *line) {
        int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
        if (!TTF_GlyphIsProvided32(font, point) ||
            TTF_GlyphMetrics32(font, point, &minX, &maxX, &minY, &maxY, &advance) != 0) {
          drawable = false;
          break;
        }
        if (IsBlank(point)) continue;
        if (maxX <= minX || maxY <= minY) {
          drawable = false;
          break;
        }
        fit.rise = std::max(fit.rise, maxY - ascent);
      }
      if (drawable) return fit;
    }
    return std::nullopt;
  }

  // Each file is opened once per size and weight; one that fails to open is not tried again.
  TTF_Font* FontAt(const StandIn& standIn, int points, bool bold) {
    const auto key = std::make_tuple(standIn.path, standIn.index, points, bold);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second;
    TTF_Font* font = TTF_OpenFontIndexDPI(standIn.path.c_str(), points, standIn.index, kDpi, kDpi);
    if (font != nullptr && bold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    fonts_.emplace(key, font);
    return font;
  }

  // Smoothed rendering: the alpha of SDL_ttf's blended line is each pixel's coverage, and it depends only
  // on the font file and FreeType, never on the display. SDL_ttf moves a line down by as much as its
  // glyphs rise above the cell; those rows are cut so that the top row is the top of the cell.
  static bool Draw(const Fit& fit, const std::string& utf8, TextImage& out) {
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(fit.font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (rendered == nullptr) return false;
    const int height = rendered->h - fit.rise;
    const bool usable = rendered->format->BytesPerPixel == 4 && rendered->format->Amask != 0 &&
                        rendered->w > 0 && height > 0 && SDL_LockSurface(rendered) == 0;
    if (usable) {
      const Uint32 mask = rendered->format->Amask;
      const Uint8 shift = rendered->format->Ashift;
      out.width = rendered->w;
      out.height = height;
      out.coverage.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
      for (int row = 0; row < height; ++row) {
        const auto* source =
            reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(rendered->pixels) +
                                            static_cast<std::size_t>(row + fit.rise) * rendered->pitch);
        for (int col = 0; col < out.width; ++col) {
          out.coverage[static_cast<std::size_t>(row) * out.width + col] =
              static_cast<std::uint8_t>((source[col] & mask) >> shift);
        }
      }
      SDL_UnlockSurface(rendered);
    }
    SDL_FreeSurface(rendered);
    return usable;
  }

  std::unique_ptr<FaceFinder> faces_;
  std::map<std::tuple<std::string, int, int, bool>, TTF_Font*> fonts_;
};

}  // namespace

std::unique_ptr<FontRasterizer> OpenTtfRasterizer(std::unique_ptr<FaceFinder> faces, std::string& error) {
  if (TTF_Init() != 0) {
    error = std::string("SDL_ttf: ") + TTF_GetError();
    return nullptr;
  }
  return std::make_unique<TtfRasterizer>(std::move(faces));
}

}  // namespace talvessa
