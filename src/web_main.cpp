// Talvessa in a web page: the game over the browser backend, with the faces the page writes into the
// program's files. The page always records the game into its files (kRecording), for the player to
// download; given `--replay FILE` (a replay the player opened) it shows that replay instead. Esc ends the
// game into the page's offer to play again.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "platform/fonts/fonts.h"
#include "platform/web/web_platform.h"
#include "replay/play_game.h"

namespace {

// Where the page finds the replay of the game being played.
constexpr const char* kRecording = "/talvessa-replay.txt";

}  // namespace

int main(int argc, char** argv) {
  talvessa::WebPlatform platform;
  std::string error;
  // Without its faces the game still plays; it only lacks its words and figures.
  std::unique_ptr<talvessa::FontRasterizer> fonts = talvessa::OpenFontRasterizerFromFiles("/fonts", error);
  if (fonts == nullptr) std::fprintf(stderr, "talvessa: no text will be drawn (%s)\n", error.c_str());
  const std::string replay = argc == 3 && std::string(argv[1]) == "--replay" ? argv[2] : "";
  const int status =
      talvessa::PlayGame(platform.Services(), fonts.get(), replay.empty() ? kRecording : "", replay, std::cerr);
  platform.Ended(status, !replay.empty());
  return status;
}
