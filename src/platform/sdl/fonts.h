// The glyph rasteriser of the real game: the game's face names resolved through fontconfig, with the
// game's own aliases loaded on top, and lines drawn smoothed by SDL_ttf.
#pragma once

#include <memory>
#include <string>

#include "platform/glyphs.h"

namespace talvessa {

class FontRasterizer : public GlyphRasterizer {
 public:
  // The family that draws `utf8` in `face` at that size and weight: the first of the face's stand-ins
  // that has ink for every character of the line. Empty when none has.
  virtual std::string FamilyFor(const std::string& face, int points, bool bold, const std::string& utf8) = 0;
};

// Opens the rasteriser over the system's fontconfig configuration. Fails (nullptr, `error` says why)
// only when SDL_ttf or fontconfig cannot start. Without any usable face it still opens; every line is
// then refused, and the game runs drawing no text.
std::unique_ptr<FontRasterizer> OpenFontRasterizer(std::string& error);

// The same over a fontconfig document of one's own instead of the system's (the aliases still go on
// top), e.g. "<fontconfig></fontconfig>" for a machine with no fonts at all.
std::unique_ptr<FontRasterizer> OpenFontRasterizerWithConfiguration(const std::string& fontconfigXml,
                                                                    std::string& error);

}  // namespace talvessa
