#include "make_tune/pitch_names.h"

#include <array>

#include "formats/numbers.h"

namespace talvessa::tune {

namespace {

struct Drum {
  std::string_view name;
  int key;
};

// The General MIDI percussion map, the sounds a tune is likely to want.
constexpr std::array<Drum, 17> kDrums = {{
    {"kick", 36},
    {"sidestick", 37},
    {"snare", 38},
    {"clap", 39},
    {"hat", 42},
    {"pedalhat", 44},
    {"tomlow", 45},
    {"openhat", 46},
    {"tommid", 47},
    {"crash", 49},
    {"tomhigh", 50},
    {"ride", 51},
    {"tambourine", 54},
    {"cowbell", 56},
    {"maracas", 70},
    {"woodblock", 76},
    {"lowblock", 77},
}};

// Semitones above C of the letters a to g.
constexpr std::array<int, 7> kLetterSemitone = {9, 11, 0, 2, 4, 5, 7};

}  // namespace

std::optional<int> PitchKey(std::string_view name) {
  if (name.size() < 2 || name[0] < 'a' || name[0] > 'g') return std::nullopt;
  int semitone = kLetterSemitone[name[0] - 'a'];
  std::size_t at = 1;
  // "b4" is the note B; a second letter b before the octave is a flat.
  if (name[at] == '#' || (name[at] == 'b' && at + 1 < name.size())) {
    semitone += name[at] == '#' ? 1 : -1;
    ++at;
  }
  const std::optional<int> octave = ParseNumber<int>(name.substr(at));
  if (!octave) return std::nullopt;
  const int key = (*octave + 1) * 12 + semitone;
  if (key < 0 || key > 127) return std::nullopt;
  return key;
}

std::optional<int> DrumKey(std::string_view name) {
  for (const Drum& drum : kDrums) {
    if (drum.name == name) return drum.key;
  }
  return std::nullopt;
}

std::string DrumNames() {
  std::string names;
  for (const Drum& drum : kDrums) {
    if (!names.empty()) names += ' ';
    names += drum.name;
  }
  return names;
}

}  // namespace talvessa::tune
