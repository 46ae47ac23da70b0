#include "platform/sdl/sdl_sound_media.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "formats/byte_reader.h"
#include "formats/midi_file.h"

namespace talvessa {

namespace {

// The game's effects are a few hundred kilobytes and its tune a few; a file this big is not ours, and
// reading it would stall the frame that asked for it.
constexpr std::uintmax_t kLargestMedia = 16u << 20;
// A tune shorter than this is no tune; one that lasts no time at all hangs the mixer when looped.
constexpr std::int64_t kShortestTuneUs = 100000;
// Microseconds per quarter note until a tempo event says otherwise.
constexpr std::int64_t kDefaultTempoUs = 500000;

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadMediaFile(const std::string& path) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kLargestMedia) return std::nullopt;
  std::vector<std::uint8_t> bytes(size);
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    return std::nullopt;
  }
  return bytes;
}

bool IsWholeWave(std::span<const std::uint8_t> bytes) {
  ByteReader file(bytes);
  if (file.Id() != "RIFF") return false;
  file.Take(4);  // the size of the whole, often wrong in files that play well, and not needed here
  if (file.Id() != "WAVE") return false;
  bool format = false;
  while (file.Ok() && !file.AtEnd()) {
    const std::string_view id = file.Id();
    const std::uint32_t size = file.LittleEndian(4);
    file.Take(size);
    if (!file.Ok()) return false;
    if (id == "fmt ") format = size >= 16;
    if (id == "data") return format && size > 0;
    file.Take(size & 1u);  // chunks start on even offsets
  }
  return false;
}

bool IsPlayableTune(std::span<const std::uint8_t> bytes) {
  std::int64_t longestTicks = 0;
  std::int64_t fastestTempoUs = kDefaultTempoUs;
  bool strikesNote = false;
  bool stopped = false;
  MidiHeader header;
  try {
    // Read as a player walks it: what stands after a track's end-of-track event or after the last track
    // is never played, so it is no fault of the tune.
    header = ReadMidiEvents(bytes, MidiReading::kAsPlayed, [&](int, const MidiEvent& event) {
      strikesNote = strikesNote || event.IsNoteOn();
      if (const std::optional<int> tempo = event.Tempo()) {
        if (*tempo == 0) {
          stopped = true;
        } else {
          fastestTempoUs = std::min<std::int64_t>(fastestTempoUs, *tempo);
        }
      }
      if (event.IsMeta(kMetaEndOfTrack)) longestTicks = std::max(longestTicks, event.tick);
    });
  } catch (const MidiFileError&) {
    return false;
  }
  // Format 0 is one track and format 1 tracks played together; format 2 holds separate pieces, which the
  // synthesiser would play all at once. A tempo of zero stops the clock: such a tune lasts no time.
  if (header.format > 1 || stopped) return false;
  // Every tick lasts at least the fastest tempo's share of a quarter note.
  const std::int64_t shortestTicks =
      (kShortestTuneUs * header.division + fastestTempoUs - 1) / fastestTempoUs;
  return strikesNote && longestTicks >= shortestTicks;
}

}  // namespace talvessa
