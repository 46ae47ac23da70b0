// What the sound backend hands to the mixer: the bytes of a media file, and whether they are worth
// playing at all. The mixer itself is no judge: it plays the readable half of a cut-off WAV, and it
// "loads" any bytes as a tune, then either plays nothing or, for a tune that lasts no time, loops it
// forever inside one buffer and hangs the sound thread. So effects and the tune are checked here first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talvessa {

// The whole file, or nothing when it is missing, not a plain file (a folder or a pipe would block or
// fail) or far larger than any sound of this game.
std::optional<std::vector<std::uint8_t>> ReadMediaFile(const std::string& path);

// A RIFF WAVE file whose format chunk comes before a non-empty sound-data chunk, both complete.
bool IsWholeWave(std::span<const std::uint8_t> bytes);

// A standard MIDI file of format 0 or 1, timed in ticks per quarter note, whose tracks are all there and
// well formed, that strikes at least one note and lasts at least a tenth of a second.
bool IsPlayableTune(std::span<const std::uint8_t> bytes);

}  // namespace talvessa
