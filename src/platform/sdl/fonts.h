// The glyph rasteriser of the desktop game: the game's face names resolved through fontconfig, with the
// game's own aliases loaded on top, and lines drawn by the shared SDL_ttf rasteriser (platform/fonts).
#pragma once

#include <memory>
#include <string>

#include "platform/fonts/fonts.h"

namespace talvessa {

// Opens the rasteriser over the system's fontconfig configuration. Fails (nullptr, `error` says why)
// when SDL_ttf or fontconfig cannot start, or fontconfig finds none of the faces the game draws with
// ("no faces found"): the game then runs drawing no text.
std::unique_ptr<FontRasterizer> OpenFontRasterizer(std::string& error);

// The same over a fontconfig document of one's own instead of the system's (the aliases still go on
// top), e.g. "<fontconfig></fontconfig>" for a machine with no fonts at all.
std::unique_ptr<FontRasterizer> OpenFontRasterizerWithConfiguration(const std::string& fontconfigXml,
                                                                    std::string& error);

}  // namespace talvessa
