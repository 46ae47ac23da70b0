// What a sound backend reads of the game's media, and whether it is worth playing at all: SDL reads the
// readable half of a cut-off WAV and converts a WAV of any length whole to the mix's format, and the
// synthesiser takes any bytes as a tune, then plays nothing, or renders a tune it cannot read, or that
// costs too much, for as long as it is let. So effects and the tune are checked here first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talvessa {

// The game's effects are a few hundred kilobytes and its tune a few; a file this big is not ours, and
// reading it would stall the frame that asked for it.
constexpr std::uintmax_t kLargestMedia = 16u << 20;
// A tune of as many events as a tune may have (see IsPlayableTune) takes some 400 kB.
constexpr std::uintmax_t kLargestTune = 1u << 20;

// The whole file, or nothing when it is missing, not a plain file (a folder or a pipe would block or
// fail) or larger than `largest`.
std::optional<std::vector<std::uint8_t>> ReadMediaFile(const std::string& path,
                                                       std::uintmax_t largest = kLargestMedia);

// The sound of an effect as SDL's loader finds it in a RIFF WAVE file: the first format chunk, then the
// first sound-data chunk, looked for within the size the RIFF header gives (to 4 GiB when it gives 0).
struct WaveSound {
  std::size_t sizeField;  // where the data chunk's size stands in the file
  std::uint32_t bytes;    // the sound data there is
};

// The sound of a WAV that SDL can read whole and that costs the mix no more than kLargestEffect once
// converted to its format; nothing otherwise. A data size beyond what any effect may be, as a WAV written
// into a pipe has, means "to the end of the file", as SDL reads it; a smaller one that runs past the end
// is a file cut off.
std::optional<WaveSound> WholeWave(std::span<const std::uint8_t> bytes);
// What an effect may take converted to the mix's 44,100 stereo 16-bit frames a second: some 95 s.
constexpr std::uintmax_t kLargestEffect = 16u << 20;

// A standard MIDI file of format 0 or 1, timed in ticks per quarter note, whose tracks are all there and
// well formed as the player reads them, that strikes at least one note, lasts at least a tenth of a
// second, and costs the player no more than a tune may: tracks, events, events at one tick, notes held
// at once, length in ticks, and bytes.
bool IsPlayableTune(std::span<const std::uint8_t> bytes);

}  // namespace talvessa
