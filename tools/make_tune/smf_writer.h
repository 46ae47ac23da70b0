// Writes a tune as a standard MIDI file the game loops: format 1, a tempo track and one track per part.
#pragma once

#include <cstdint>
#include <vector>

#include "make_tune/tune.h"

namespace talvessa::tune {

// The first track holds the time signature and the tempo; each part's track starts with its name,
// program, volume and pan at tick 0 and then its notes. Every track ends at the tune's full length, so a
// player that loops at the end of the tracks repeats whole bars.
std::vector<std::uint8_t> EncodeSmf(const Tune& tune);

}  // namespace talvessa::tune
