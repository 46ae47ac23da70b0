#include "platform/sdl/sdl_sound_media.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace talvessa {

namespace {

// The game's effects are a few hundred kilobytes and its tune a few; a file this big is not ours, and
// reading it would stall the frame that asked for it.
constexpr std::uintmax_t kLargestMedia = 16u << 20;
// A tune shorter than this is no tune; one that lasts no time at all hangs the mixer when looped.
constexpr std::uint64_t kShortestTuneUs = 100000;
// Microseconds per quarter note until a tempo event says otherwise.
constexpr std::uint64_t kDefaultTempoUs = 500000;

// Reads forward through a span of bytes. A read past the end fails, and so does every read after it,
// giving zeros and empty spans, so that a parse can check once after a group of reads.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  std::uint8_t Peek() const { return AtEnd() ? 0 : bytes_[pos_]; }

  std::span<const std::uint8_t> Take(std::size_t count) {
    if (!ok_ || bytes_.size() - pos_ < count) {
      Fail();
      return {};
    }
    pos_ += count;
    return bytes_.subspan(pos_ - count, count);
  }
  std::uint8_t Byte() {
    const auto taken = Take(1);
    return taken.empty() ? 0 : taken[0];
  }
  // A chunk name of four letters.
  std::string_view Id() {
    const auto taken = Take(4);
    return {reinterpret_cast<const char*>(taken.data()), taken.size()};
  }
  std::uint32_t BigEndian(std::size_t count) {
    std::uint32_t value = 0;
    for (const std::uint8_t byte : Take(count)) value = value << 8 | byte;
    return value;
  }
  std::uint32_t LittleEndian(std::size_t count) {
    const auto taken = Take(count);
    std::uint32_t value = 0;
    for (auto byte = taken.rbegin(); byte != taken.rend(); ++byte) value = value << 8 | *byte;
    return value;
  }
  // A MIDI number of seven bits a byte, the high bit set on all but the last of at most four bytes.
  std::uint32_t VarLen() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t byte = Byte();
      value = value << 7 | (byte & 0x7Fu);
      if ((byte & 0x80u) == 0) return value;
    }
    Fail();
    return 0;
  }

 private:
  void Fail() {
    ok_ = false;
    pos_ = bytes_.size();
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

struct TuneScan {
  std::uint64_t longestTicks = 0;
  std::uint64_t fastestTempoUs = kDefaultTempoUs;
  bool strikesNote = false;
};

// Walks one track's events to its end-of-track event. False when they run past the track, when a
// track has no end, or when a byte stands where no event can begin. Meta and system-exclusive events
// cancel the running status, as the file format says; a file leaning on it across them is refused.
bool ScanTrack(std::span<const std::uint8_t> track, TuneScan& scan) {
  Reader events(track);
  std::uint64_t ticks = 0;
  std::uint8_t running = 0;
  while (events.Ok() && !events.AtEnd()) {
    ticks += events.VarLen();
    std::uint8_t status = events.Peek();
    if ((status & 0x80u) != 0) {
      events.Byte();
    } else {
      status = running;
    }
    if (status == 0xFF) {
      const std::uint8_t type = events.Byte();
      const auto data = events.Take(events.VarLen());
      if (type == 0x2F) {
        scan.longestTicks = std::max(scan.longestTicks, ticks);
        return events.Ok();
      }
      if (type == 0x51 && data.size() == 3) {
        const std::uint64_t tempo = std::uint64_t{data[0]} << 16 | std::uint64_t{data[1]} << 8 | data[2];
        if (tempo == 0) return false;
        scan.fastestTempoUs = std::min(scan.fastestTempoUs, tempo);
      }
      running = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      events.Take(events.VarLen());
      running = 0;
    } else if (status >= 0x80 && status < 0xF0) {
      running = status;
      const std::uint8_t kind = status & 0xF0u;
      const auto data = events.Take(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
      if (std::any_of(data.begin(), data.end(), [](std::uint8_t byte) { return byte >= 0x80; })) return false;
      if (kind == 0x90 && data.size() == 2 && data[1] > 0) scan.strikesNote = true;
    } else {
      return false;
    }
  }
  return false;
}

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
  Reader file(bytes);
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
  Reader file(bytes);
  if (file.Id() != "MThd") return false;
  const std::uint32_t headerSize = file.BigEndian(4);
  const std::uint32_t format = file.BigEndian(2);
  const std::uint32_t tracks = file.BigEndian(2);
  const std::uint32_t division = file.BigEndian(2);
  if (!file.Ok() || headerSize < 6) return false;
  file.Take(headerSize - 6);
  // Format 0 is one track and format 1 tracks played together; format 2 holds separate pieces, which the
  // synthesiser would play all at once. It cannot time a file in SMPTE frames (the high bit of the
  // division) at all: such a tune lasts no time.
  if (format > 1 || tracks == 0 || (format == 0 && tracks != 1)) return false;
  if (division == 0 || (division & 0x8000u) != 0) return false;
  TuneScan scan;
  for (std::uint32_t i = 0; i < tracks; ++i) {
    if (file.Id() != "MTrk") return false;
    const auto track = file.Take(file.BigEndian(4));
    if (!file.Ok() || !ScanTrack(track, scan)) return false;
  }
  // Every tick lasts at least the fastest tempo's share of a quarter note.
  const std::uint64_t shortestTicks =
      (kShortestTuneUs * division + scan.fastestTempoUs - 1) / scan.fastestTempoUs;
  return scan.strikesNote && scan.longestTicks >= shortestTicks;
}

}  // namespace talvessa
