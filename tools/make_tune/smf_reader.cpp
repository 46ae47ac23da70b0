#include "make_tune/smf_reader.h"

#include <algorithm>
#include <string>
#include <utility>

namespace talvessa::tune {

namespace {

constexpr int kDefaultQuarterMicroseconds = 500'000;

class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t end)
      : bytes_(bytes), at_(at), end_(end) {}

  bool AtEnd() const { return at_ == end_; }
  std::size_t Position() const { return at_; }

  [[noreturn]] void Fail(const std::string& what) const {
    throw MidiFileError("byte " + std::to_string(at_) + ": " + what);
  }

  std::uint8_t Byte() {
    if (at_ == end_) Fail("the data ends in the middle of an item");
    return bytes_[at_++];
  }
  std::uint32_t Number(int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | Byte();
    return value;
  }
  // At most four bytes, seven bits each.
  std::uint32_t VarLen() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte();
      value = value << 7 | (b & 0x7F);
      if ((b & 0x80) == 0) return value;
    }
    Fail("a variable-length number longer than four bytes");
  }
  std::vector<std::uint8_t> Bytes(std::uint32_t count) {
    if (count > end_ - at_) Fail("an item runs past the end of its chunk");
    std::vector<std::uint8_t> out(bytes_.begin() + at_, bytes_.begin() + at_ + count);
    at_ += count;
    return out;
  }
  void Expect(const char* id) {
    const std::size_t start = at_;
    for (int i = 0; i < 4; ++i) {
      if (Byte() != static_cast<std::uint8_t>(id[i])) {
        at_ = start;
        Fail(std::string("expected a chunk '") + id + "'");
      }
    }
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_;
  std::size_t end_;
};

std::vector<MidiEvent> ReadTrack(Cursor& in, int number) {
  std::vector<MidiEvent> events;
  std::uint8_t running = 0;
  int tick = 0;
  const std::string track = "track " + std::to_string(number) + ": ";
  while (!in.AtEnd()) {
    if (!events.empty() && events.back().IsMeta(kMetaEndOfTrack))
      in.Fail(track + "an event after end-of-track");
    MidiEvent event;
    tick += static_cast<int>(in.VarLen());
    event.tick = tick;
    std::uint8_t first = in.Byte();
    if (first == 0xFF) {
      event.status = first;
      event.metaType = in.Byte();
      event.data = in.Bytes(in.VarLen());
      if (event.metaType == kMetaEndOfTrack && !event.data.empty()) in.Fail(track + "end-of-track with data");
      running = 0;
    } else if (first == 0xF0 || first == 0xF7) {
      event.status = first;
      event.data = in.Bytes(in.VarLen());
      running = 0;
    } else if (first > 0xF0) {
      in.Fail(track + "a system message that has no place in a file");
    } else {
      if (first & 0x80) {
        running = first;
        first = in.Byte();
      } else if (running == 0) {
        in.Fail(track + "a data byte without a status");
      }
      event.status = running;
      event.data.push_back(first);
      if (event.Kind() != 0xC0 && event.Kind() != 0xD0) event.data.push_back(in.Byte());
      for (std::uint8_t b : event.data) {
        if (b & 0x80) in.Fail(track + "a data byte above 127");
      }
    }
    events.push_back(std::move(event));
  }
  if (events.empty() || !events.back().IsMeta(kMetaEndOfTrack)) in.Fail(track + "no end-of-track");
  return events;
}

}  // namespace

int MidiFile::EndTick() const {
  int end = 0;
  for (const auto& track : tracks) end = std::max(end, track.back().tick);
  return end;
}

int MidiFile::QuarterMicroseconds() const {
  for (const auto& track : tracks) {
    for (const MidiEvent& e : track) {
      if (e.tick == 0 && e.IsMeta(kMetaTempo) && e.data.size() == 3) {
        return e.data[0] << 16 | e.data[1] << 8 | e.data[2];
      }
    }
  }
  return kDefaultQuarterMicroseconds;
}

double MidiFile::Seconds() const {
  std::vector<std::pair<int, int>> changes;  // tick, microseconds per quarter
  for (const auto& track : tracks) {
    for (const MidiEvent& e : track) {
      if (e.IsMeta(kMetaTempo) && e.data.size() == 3) {
        changes.emplace_back(e.tick, e.data[0] << 16 | e.data[1] << 8 | e.data[2]);
      }
    }
  }
  std::stable_sort(changes.begin(), changes.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  double microseconds = 0;
  int tick = 0;
  int tempo = kDefaultQuarterMicroseconds;
  const int end = EndTick();
  for (const auto& [at, next] : changes) {
    if (at >= end) break;
    microseconds += static_cast<double>(at - tick) * tempo / division;
    tick = at;
    tempo = next;
  }
  microseconds += static_cast<double>(end - tick) * tempo / division;
  return microseconds / 1e6;
}

MidiFile ReadSmf(std::span<const std::uint8_t> bytes) {
  Cursor in(bytes, 0, bytes.size());
  in.Expect("MThd");
  const std::uint32_t headerLength = in.Number(4);
  if (headerLength < 6) in.Fail("a header shorter than six bytes");
  MidiFile file;
  file.format = static_cast<int>(in.Number(2));
  const int trackCount = static_cast<int>(in.Number(2));
  file.division = static_cast<int>(in.Number(2));
  in.Bytes(headerLength - 6);
  if (file.format > 2) in.Fail("format " + std::to_string(file.format) + " is not 0, 1 or 2");
  if (file.format == 0 && trackCount != 1) in.Fail("a format 0 file with other than one track");
  if (file.division == 0 || (file.division & 0x8000) != 0) in.Fail("not a count of ticks per quarter");
  for (int number = 1; number <= trackCount; ++number) {
    in.Expect("MTrk");
    const std::uint32_t length = in.Number(4);
    if (length > bytes.size() - in.Position()) {
      in.Fail("track " + std::to_string(number) + " is longer than the file");
    }
    Cursor body(bytes, in.Position(), in.Position() + length);
    file.tracks.push_back(ReadTrack(body, number));
    in.Bytes(length);
  }
  if (!in.AtEnd()) in.Fail("bytes after the last track");
  return file;
}

}  // namespace talvessa::tune
