// The desktop build's faces: fontconfig's, as the game finds them.
#include "headless.h"
#include "platform/sdl/fonts.h"

namespace talvessa {

std::unique_ptr<FontRasterizer> OpenHeadlessFonts(const std::string& fontsDir, std::string& error) {
  return fontsDir.empty() ? OpenFontRasterizer(error) : OpenFontRasterizerFromFiles(fontsDir, error);
}

}  // namespace talvessa
