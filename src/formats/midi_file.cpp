#include "formats/midi_file.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "formats/byte_reader.h"

namespace talvessa {

namespace {

constexpr int kDefaultQuarterMicroseconds = 500'000;
constexpr char kCutShort[] = "the data ends in the middle of an item";
constexpr char kPastChunk[] = "an item runs past the end of its chunk";

[[noreturn]] void Fail(std::size_t byte, const std::string& what) {
  throw MidiFileError("byte " + std::to_string(byte) + ": " + what);
}

// Stops the reading when the reads so far ran past the end of `in`.
void Check(const ByteReader& in, const char* what = kCutShort) {
  if (!in.Ok()) Fail(in.Position(), what);
}

void ExpectChunk(ByteReader& in, std::string_view id) {
  const std::size_t at = in.Position();
  if (in.Id() != id) Fail(at, "expected a chunk '" + std::string(id) + "'");
}

// A number of seven bits a byte, the high bit set on all but the last of at most four bytes.
std::uint32_t VarLen(ByteReader& in) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t byte = in.Byte();
    Check(in);
    value = value << 7 | (byte & 0x7Fu);
    if ((byte & 0x80u) == 0) return value;
  }
  Fail(in.Position(), "a variable-length number longer than four bytes");
}

// A meta or system-exclusive event's payload: its length, then that many bytes.
std::span<const std::uint8_t> Payload(ByteReader& in) {
  const std::uint32_t length = VarLen(in);
  const auto payload = in.Take(length);
  Check(in, kPastChunk);
  return payload;
}

// Whether a meta event of `type` may carry `length` bytes: the kinds a player acts on have a set length,
// and a player refuses the whole file when one of them is of another.
bool FitsItsKind(std::uint8_t type, std::size_t length) {
  switch (type) {
    case 0x00:  // sequence number, or none to number the tracks in order
      return length == 0 || length == 2;
    case 0x20:  // channel prefix
    case 0x21:  // port
      return length == 1;
    case kMetaEndOfTrack: return length == 0;
    case kMetaTempo: return length == 3;
    case 0x54:  // SMPTE offset
      return length == 5;
    case 0x58:  // time signature
      return length == 4;
    case 0x59:  // key signature
      return length == 2;
    default: return true;
  }
}

// A system-exclusive message holds data bytes only, closed by an optional F7.
bool IsSystemExclusiveData(std::span<const std::uint8_t> payload) {
  if (!payload.empty() && payload.back() == 0xF7) payload = payload.first(payload.size() - 1);
  return std::all_of(payload.begin(), payload.end(), [](std::uint8_t byte) { return byte < 0x80; });
}

// The event after a delta time. A channel message may leave out its status byte when it repeats the one
// before (the running status); meta and system-exclusive events cancel it.
MidiEvent ReadEvent(ByteReader& in, std::uint8_t& running, const std::string& track) {
  if (in.AtEnd()) Fail(in.Position(), kCutShort);
  const std::size_t at = in.Position();
  MidiEvent event;
  event.status = (in.Peek() & 0x80u) != 0 ? in.Byte() : running;
  if (event.status == 0xFF) {
    event.metaType = in.Byte();
    Check(in);
    if (event.metaType >= 0x80) Fail(at, track + "a meta event of no kind");
    event.data = Payload(in);
    if (!FitsItsKind(event.metaType, event.data.size())) {
      Fail(at, track + "a meta event whose length does not fit its kind");
    }
    running = 0;
  } else if (event.status == 0xF0) {
    event.data = Payload(in);
    if (!IsSystemExclusiveData(event.data)) Fail(at, track + "a system-exclusive message with a status byte");
    running = 0;
  } else if (event.status == 0xF7) {
    // An escape sends any bytes at all, a status of its own among them; players refuse the whole file.
    Fail(at, track + "a system-exclusive escape");
  } else if (event.status > 0xF0) {
    Fail(at, track + "a system message that has no place in a file");
  } else if (event.status == 0) {
    Fail(at, track + "a data byte without a status");
  } else {
    running = event.status;
    event.data = in.Take(event.Kind() == 0xC0 || event.Kind() == 0xD0 ? 1 : 2);
    Check(in);
    for (const std::uint8_t byte : event.data) {
      if ((byte & 0x80u) != 0) Fail(at, track + "a data byte above 127");
    }
  }
  return event;
}

void ReadTrack(ByteReader in, int index, MidiReading reading, const MidiEventVisitor& visit) {
  const std::string track = "track " + std::to_string(index + 1) + ": ";
  std::uint8_t running = 0;
  std::int64_t tick = 0;
  while (!in.AtEnd()) {
    tick += VarLen(in);
    MidiEvent event = ReadEvent(in, running, track);
    event.tick = tick;
    const bool end = event.IsMeta(kMetaEndOfTrack);
    if (end && reading == MidiReading::kStrict && !in.AtEnd()) {
      Fail(in.Position(), track + "an event after end-of-track");
    }
    visit(index, event);
    if (end) return;
  }
  Fail(in.Position(), track + "no end-of-track");
}

}  // namespace

std::optional<int> MidiEvent::Tempo() const {
  if (!IsMeta(kMetaTempo) || data.size() != 3) return std::nullopt;
  return data[0] << 16 | data[1] << 8 | data[2];
}

MidiHeader ReadMidiEvents(std::span<const std::uint8_t> bytes, MidiReading reading,
                          const MidiEventVisitor& visit) {
  ByteReader in(bytes);
  ExpectChunk(in, "MThd");
  const std::uint32_t headerLength = in.BigEndian(4);
  Check(in);
  // Players read six bytes whatever the length says, and refuse a file whose header says otherwise.
  if (headerLength != 6) Fail(in.Position(), "a header of other than six bytes");
  MidiHeader header;
  header.format = static_cast<int>(in.BigEndian(2));
  header.trackCount = static_cast<int>(in.BigEndian(2));
  header.division = static_cast<int>(in.BigEndian(2));
  Check(in);
  if (header.format > 2) Fail(in.Position(), "format " + std::to_string(header.format) + " is not 0, 1 or 2");
  if (header.format == 0 && header.trackCount != 1) {
    Fail(in.Position(), "a format 0 file with other than one track");
  }
  if (header.division == 0 || (header.division & 0x8000) != 0) {
    Fail(in.Position(), "not a count of ticks per quarter");
  }
  for (int index = 0; index < header.trackCount; ++index) {
    ExpectChunk(in, "MTrk");
    const std::uint32_t length = in.BigEndian(4);
    Check(in);
    if (length > in.Left())
      Fail(in.Position(), "track " + std::to_string(index + 1) + " is longer than the file");
    ReadTrack(in.Part(length), index, reading, visit);
  }
  if (reading == MidiReading::kStrict && !in.AtEnd()) Fail(in.Position(), "bytes after the last track");
  return header;
}

MidiFile ReadMidiFile(std::span<const std::uint8_t> bytes) {
  MidiFile file;
  file.bytes = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
  const MidiHeader header =
      ReadMidiEvents(*file.bytes, MidiReading::kStrict, [&file](int track, const MidiEvent& event) {
        if (static_cast<std::size_t>(track) == file.tracks.size()) file.tracks.emplace_back();
        file.tracks[track].push_back(event);
      });
  file.format = header.format;
  file.division = header.division;
  return file;
}

std::int64_t MidiFile::EndTick() const {
  std::int64_t end = 0;
  for (const auto& track : tracks) end = std::max(end, track.back().tick);
  return end;
}

int MidiFile::QuarterMicroseconds() const {
  for (const auto& track : tracks) {
    for (const MidiEvent& e : track) {
      if (e.tick == 0 && e.Tempo()) return *e.Tempo();
    }
  }
  return kDefaultQuarterMicroseconds;
}

double MidiFile::Seconds() const {
  std::vector<std::pair<std::int64_t, int>> changes;  // tick, microseconds per quarter
  for (const auto& track : tracks) {
    for (const MidiEvent& e : track) {
      if (e.Tempo()) changes.emplace_back(e.tick, *e.Tempo());
    }
  }
  std::stable_sort(changes.begin(), changes.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  double microseconds = 0;
  std::int64_t tick = 0;
  int tempo = kDefaultQuarterMicroseconds;
  const std::int64_t end = EndTick();
  for (const auto& [at, next] : changes) {
    if (at >= end) break;
    microseconds += static_cast<double>(at - tick) * tempo / division;
    tick = at;
    tempo = next;
  }
  microseconds += static_cast<double>(end - tick) * tempo / division;
  return microseconds / 1e6;
}

}  // namespace talvessa
