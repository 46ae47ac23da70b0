// The web build's faces: only fixed files, as the page has them; there is no fontconfig to ask.
#include "headless.h"

namespace talvessa {

std::unique_ptr<FontRasterizer> OpenHeadlessFonts(const std::string& fontsDir, std::string& error) {
  if (fontsDir.empty()) {
    error = "this build finds no faces by itself: give --fonts DIR";
    return nullptr;
  }
  return OpenFontRasterizerFromFiles(fontsDir, error);
}

}  // namespace talvessa
