// Talvessa in a web page: the game over the browser backend, with the faces the page writes into the
// program's files. Esc ends the game into the page's offer to play again.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "platform/fonts/fonts.h"
#include "platform/web/web_platform.h"
#include "replay/play_game.h"

int main() {
  talvessa::WebPlatform platform;
  std::string error;
  // Without its faces the game still plays; it only lacks its words and figures.
  std::unique_ptr<talvessa::FontRasterizer> fonts = talvessa::OpenFontRasterizerFromFiles("/fonts", error);
  if (fonts == nullptr) std::fprintf(stderr, "talvessa: no text will be drawn (%s)\n", error.c_str());
  const int status = talvessa::PlayGame(platform.Services(), fonts.get(), "", "", std::cerr);
  platform.Ended();
  return status;
}
