// Where the General MIDI bank the tune is played with is found.
#pragma once

#include <cstdlib>
#include <string>

namespace talvessa {

// The first bank that exists of: the files listed in `listed` (SDL_SOUNDFONTS, separated by ';' or ':'),
// Debian's TimGM6mb and its default-GM alternative, then the FluidR3 banks and the default bank of other
// distributions. With none of them, Debian's TimGM6mb path, so that the fault names the file to install.
std::string SoundFontPath(const char* listed = std::getenv("SDL_SOUNDFONTS"));

}  // namespace talvessa
