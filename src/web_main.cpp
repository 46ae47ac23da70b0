// Talvessa in a web page: the game over the browser backend, with the faces the page writes into the
// program's files. The page always records the game into its files (kRecording), for the player to
// download; given `--replay FILE` (a replay the player opened) it shows that replay instead. Esc ends the
// game into the page's offer to play again.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
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
  const bool showing = argc == 3 && std::string(argv[1]) == "--replay";
  std::optional<talvessa::ShownReplay> replay;
  if (showing) replay = talvessa::ReadReplayToShow(argv[2], std::cerr);
  // A replay that cannot be shown ends at once with its line, as on the desktop.
  const int status = showing && !replay
                         ? 2
                         : talvessa::PlayGame(platform.Services(), fonts.get(), showing ? "" : kRecording,
                                              replay ? &*replay : nullptr, std::cerr);
  platform.Ended(status, showing);
  return status;
}
