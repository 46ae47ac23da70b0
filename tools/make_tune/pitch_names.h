// Written pitches and drum names of the note list, turned into MIDI key numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvessa::tune {

// A pitch as letter, optional sharp '#' or flat 'b', and octave: "c4" is middle C (60), "bb3" is 58,
// "f#5" is 78. Nothing for anything else or a key outside 0 to 127.
std::optional<int> PitchKey(std::string_view name);

// The General MIDI percussion key of a drum name ("kick", "snare", "hat", ...).
std::optional<int> DrumKey(std::string_view name);

// Every drum name, separated by blanks, for messages.
std::string DrumNames();

}  // namespace talvessa::tune
