#include "formats/media_checks.h"

#include <algorithm>
#include <bitset>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "formats/byte_reader.h"
#include "formats/midi_file.h"

namespace talvessa {

namespace {

// A tune shorter than this is no tune; one that lasts no time at all makes no loop.
constexpr std::int64_t kShortestTuneUs = 100000;
// Microseconds per quarter note until a tempo event says otherwise.
constexpr std::int64_t kDefaultTempoUs = 500000;

// What a tune may cost the player. The game's own has 7 tracks, some 2,000 events, at most 32 of them at
// one tick and 13 notes held at once. The player parses the whole file at every pass and sends all the
// events of a tick in one go, each in the render; its synthesiser sounds 256 voices at most and
// complains on stderr of every note beyond; it counts ticks in 31 bits.
constexpr int kMostTracks = 64;
constexpr std::size_t kMostEvents = 100000;
constexpr std::size_t kMostEventsAtOnce = 1000;
constexpr int kMostNotesHeld = 96;
constexpr std::int64_t kMostTicks = (std::int64_t{1} << 31) - 1;

// An effect is a few seconds of sound at most; it is converted whole to the mix's format (44,100
// stereo 16-bit frames a second, 176 kB), so the length bounds the memory too.
constexpr std::int64_t kLongestEffectMs = 5000;
constexpr std::uint32_t kLowestRate = 4000;
constexpr std::uint32_t kHighestRate = 192000;
// The WAV format tags whose samples stand whole in the file: PCM, IEEE float, A-law, mu-law, and the
// extensible form of them. The rest are compressed, to no less than 4 bits a sample.
constexpr std::uint32_t kUncompressedFormats[] = {0x0001, 0x0003, 0x0006, 0x0007, 0xFFFE};
constexpr std::uint32_t kLeastCompressedBits = 4;

// The length of a sound data chunk of `dataBytes`, as its format chunk describes it; -1 for a format no
// sound can have.
std::int64_t SoundMs(std::span<const std::uint8_t> format, std::uint32_t dataBytes) {
  ByteReader fields(format);
  const std::uint32_t tag = fields.LittleEndian(2);
  const std::uint32_t channels = fields.LittleEndian(2);
  const std::uint32_t rate = fields.LittleEndian(4);
  fields.Take(6);  // bytes a second and a frame: derived, and often wrong
  std::uint32_t bits = fields.LittleEndian(2);
  if (!fields.Ok() || channels == 0 || channels > 8 || rate < kLowestRate || rate > kHighestRate) return -1;
  if (std::find(std::begin(kUncompressedFormats), std::end(kUncompressedFormats), tag) ==
      std::end(kUncompressedFormats)) {
    bits = kLeastCompressedBits;
  }
  if (bits == 0 || bits > 64) return -1;
  return std::int64_t{dataBytes} * 8 * 1000 / (std::int64_t{channels} * bits * rate);
}

// The cost of playing a tune, measured over all its tracks.
class TuneCost {
 public:
  void Count(int track, const MidiEvent& event) {
    // Many tracks cost the player even when they are empty, and it keeps no more than 128.
    if (track >= kMostTracks) throw MidiFileError("more tracks than a tune may have");
    if (++events_ > kMostEvents) throw MidiFileError("more events than a tune may have");
    ticks_.push_back(event.tick);
    if (event.IsNoteOn() || event.IsNoteOff()) {
      notes_.push_back({event.tick, event.IsNoteOn(), event.Channel() - 1, event.data[0]});
    }
  }

  // Throws MidiFileError when the tune costs more than the player may pay.
  void Judge() {
    std::sort(ticks_.begin(), ticks_.end());
    for (auto at = ticks_.begin(); at != ticks_.end();) {
      const auto next = std::upper_bound(at, ticks_.end(), *at);
      if (static_cast<std::size_t>(next - at) > kMostEventsAtOnce) {
        throw MidiFileError("more events at one tick than a tune may have");
      }
      at = next;
    }
    // Releases before strikes at a tick: a note struck as another ends is no more held at once.
    std::stable_sort(notes_.begin(), notes_.end(), [](const Note& a, const Note& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.on < b.on;
    });
    std::bitset<16 * 128> held;
    for (const Note& note : notes_) {
      held.set(static_cast<std::size_t>(note.channel * 128 + note.key), note.on);
      if (held.count() > kMostNotesHeld) throw MidiFileError("more notes held at once than a tune may have");
    }
  }

 private:
  struct Note {
    std::int64_t tick;
    bool on;
    int channel;
    int key;
  };
  std::size_t events_ = 0;
  std::vector<std::int64_t> ticks_;
  std::vector<Note> notes_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadMediaFile(const std::string& path, std::uintmax_t largest) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > largest) return std::nullopt;
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
  std::span<const std::uint8_t> format;
  while (file.Ok() && !file.AtEnd()) {
    const std::string_view id = file.Id();
    const std::uint32_t size = file.LittleEndian(4);
    const auto body = file.Take(size);
    if (!file.Ok()) return false;
    if (id == "fmt ") format = size >= 16 ? body : std::span<const std::uint8_t>();
    if (id == "data") {
      if (format.empty() || size == 0) return false;
      const std::int64_t ms = SoundMs(format, size);
      return ms >= 0 && ms <= kLongestEffectMs;
    }
    file.Take(size & 1u);  // chunks start on even offsets
  }
  return false;
}

bool IsPlayableTune(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kLargestTune) return false;
  std::int64_t longestTicks = 0;
  std::int64_t fastestTempoUs = kDefaultTempoUs;
  bool strikesNote = false;
  bool stopped = false;
  MidiHeader header;
  TuneCost cost;
  try {
    // Read as a player walks it: what stands after a track's end-of-track event or after the last track
    // is never played, so it is no fault of the tune.
    header = ReadMidiEvents(bytes, MidiReading::kAsPlayed, [&](int track, const MidiEvent& event) {
      cost.Count(track, event);
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
    cost.Judge();
  } catch (const MidiFileError&) {
    return false;
  }
  // Format 0 is one track and format 1 tracks played together; format 2 holds separate pieces, which the
  // synthesiser would play all at once. A tempo of zero stops the clock: such a tune lasts no time.
  if (header.format > 1 || stopped) return false;
  // Every tick lasts at least the fastest tempo's share of a quarter note.
  const std::int64_t shortestTicks =
      (kShortestTuneUs * header.division + fastestTempoUs - 1) / fastestTempoUs;
  return strikesNote && longestTicks >= shortestTicks && longestTicks <= kMostTicks;
}

}  // namespace talvessa
