// The game's command line: what a player may ask for when starting `talvessa`. Parsing is pure (no
// output, no files), so the program decides how to report what it finds.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace talvessa {
// Window enlargements a player may ask for at start.
inline constexpr int kLargestScale = 8;

struct GameOptions {
  bool help = false;
  bool version = false;
  // --fullscreen or --window; unset keeps the window mode the game starts in by default.
  std::optional<bool> fullscreen;
  // --scale N: the window opens at N times the picture.
  std::optional<int> scale;
  bool mute = false;
  // --volume N, 0 to kFullVolume (the audio service's scale).
  std::optional<int> volume;
  // --pause-when-unfocused: losing the keyboard pauses as Enter does (by default play goes on).
  bool pauseWhenUnfocused = false;
  // --record FILE / --replay FILE (at most one of the two).
  std::string recordFile;
  std::string replayFile;
  // --data DIR: the folder whose da/ holds the sounds and the tune; empty, the game finds its own.
  std::string dataFolder;
};

// A command line the game cannot follow; what() is one line for the player, without the program's name.
struct BadCommandLine : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The options of `args` (argv without the program's name); an option's value follows it as the next
// argument or after '=' (--scale=3). Throws BadCommandLine for an unknown option, a missing or malformed
// value, a value given to an option that takes none, or options that contradict each other.
GameOptions ParseGameArguments(const std::vector<std::string>& args);

// The text of --help.
std::string GameUsage();

// The text of --version.
std::string GameVersion();

}  // namespace talvessa
