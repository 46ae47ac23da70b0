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

// An effect is converted whole to the mix's format when it loads.
constexpr std::uint64_t kMixRate = 44100;
constexpr std::uint64_t kMixFrameBytes = 4;
constexpr std::uint32_t kLowestRate = 4000;
constexpr std::uint32_t kHighestRate = 192000;
constexpr std::uint32_t kMostChannels = 8;
// SDL's loader gives up after this many chunks, and reads no more of a format chunk than this.
constexpr int kMostChunks = 10000;
constexpr std::size_t kLongestFormat = 1046;
// The WAV format tags SDL decodes: PCM, IEEE float, A-law and mu-law stand whole in the file; its two
// ADPCMs take 4 bits a sample, their block headers more. The extensible form names one of them in a
// GUID of which the rest is fixed.
constexpr std::uint32_t kUncompressedFormats[] = {0x0001, 0x0003, 0x0006, 0x0007};
constexpr std::uint32_t kAdpcmFormats[] = {0x0002, 0x0011};
constexpr std::uint32_t kExtensible = 0xFFFE;
constexpr std::uint8_t kGuidTail[] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
constexpr std::uint64_t kAdpcmBits = 4;

template <std::size_t N>
bool IsOneOf(std::uint32_t tag, const std::uint32_t (&tags)[N]) {
  return std::find(std::begin(tags), std::end(tags), tag) != std::end(tags);
}

std::uint32_t LittleEndianAt(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
  ByteReader field(bytes.subspan(at));
  return field.LittleEndian(count);
}

// The bytes `dataBytes` of sound decode to at the mix's format, as the format chunk describes it (as
// much of it as SDL reads); none for a format SDL does not decode or no sound can have.
std::optional<std::uint64_t> MixBytes(std::span<const std::uint8_t> format, std::uint64_t dataBytes) {
  ByteReader fields(format);
  std::uint32_t tag = fields.LittleEndian(2);
  const std::uint32_t channels = fields.LittleEndian(2);
  const std::uint32_t rate = fields.LittleEndian(4);
  fields.Take(4);  // bytes a second: derived, and often wrong
  const std::uint32_t blockBytes = fields.LittleEndian(2);
  const std::uint32_t bits = fields.LittleEndian(2);
  if (tag == kExtensible) {
    const std::uint32_t extension = fields.LittleEndian(2);
    fields.Take(6);  // valid bits and channel mask
    tag = fields.LittleEndian(2);
    const auto tail = fields.Take(sizeof kGuidTail);
    if (!fields.Ok() || extension < 22 || !std::equal(tail.begin(), tail.end(), std::begin(kGuidTail)))
      return std::nullopt;
  }
  if (!fields.Ok() || channels == 0 || channels > kMostChannels || rate < kLowestRate ||
      rate > kHighestRate || blockBytes == 0 || bits == 0)
    return std::nullopt;
  std::uint64_t frames = 0;
  if (IsOneOf(tag, kUncompressedFormats)) {
    // SDL counts frames in blocks, which it lets be smaller than a frame of samples.
    const std::uint64_t frameBytes = std::min<std::uint64_t>(blockBytes, std::uint64_t{channels} * bits / 8);
    if (frameBytes == 0) return std::nullopt;
    frames = dataBytes / frameBytes;
  } else if (IsOneOf(tag, kAdpcmFormats)) {
    frames = dataBytes * 8 / (kAdpcmBits * channels);
  } else {
    return std::nullopt;
  }
  return (frames * kMixRate + rate - 1) / rate * kMixFrameBytes;
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

std::optional<WaveSound> WholeWave(std::span<const std::uint8_t> bytes) {
  ByteReader header(bytes);
  if (header.Id() != "RIFF") return std::nullopt;
  const std::uint64_t riffSize = header.LittleEndian(4);
  if (header.Id() != "WAVE") return std::nullopt;
  // Chunks are looked for as SDL does: while the RIFF's size reaches past the last one's end (with its
  // pad byte: chunks start on even offsets), and until the file ends.
  const std::uint64_t riffEnd = 8 + (riffSize == 0 ? std::uint64_t{UINT32_MAX} : riffSize);
  std::span<const std::uint8_t> format;
  bool formatFound = false;
  std::uint64_t next = 12;
  for (int chunks = 0; riffEnd > next && next + 8 <= bytes.size(); ++chunks) {
    if (chunks == kMostChunks) return std::nullopt;
    const std::string_view id(reinterpret_cast<const char*>(bytes.data() + next), 4);
    const std::uint32_t size = LittleEndianAt(bytes, next + 4, 4);
    const std::size_t body = next + 8;
    const std::size_t there = bytes.size() - body;
    if (id == "fmt " && !formatFound) {
      // Only the first counts; SDL reads what the file holds of it.
      formatFound = true;
      format = bytes.subspan(body, std::min<std::size_t>({size, there, kLongestFormat}));
    }
    if (id == "data") {
      if (!formatFound || format.size() < 16 || size == 0) return std::nullopt;
      if (size > there && size <= kLargestMedia) return std::nullopt;  // cut off
      const auto sound = static_cast<std::uint32_t>(std::min<std::size_t>(size, there));
      const std::optional<std::uint64_t> cost = MixBytes(format, sound);
      if (sound == 0 || !cost || *cost > kLargestEffect) return std::nullopt;
      return WaveSound{static_cast<std::size_t>(next) + 4, sound};
    }
    next = body + std::uint64_t{size} + (size & 1u);
  }
  return std::nullopt;
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
