// Which folder holds the game's data folder da/ (its sounds and its tune).
#pragma once

#include <optional>
#include <string>

namespace talvessa {

// The folder, ending in a separator, whose da/ the game takes its sounds from: `asked` when the player
// names one (null when it has no da/), else the program's own folder `programFolder` when it has da/ (a
// build tree, a portable copy), else the installed data folder found from the program's folder by the
// path fixed at build time (../share/games/talvessa). With none, the program's folder: the game then
// plays without its sounds.
std::optional<std::string> DataFolder(const std::string& programFolder, const std::string& asked);

// Why the folder `asked` by --data is refused, in one line for the player.
std::string WhyNoDataFolder(const std::string& asked);

}  // namespace talvessa
