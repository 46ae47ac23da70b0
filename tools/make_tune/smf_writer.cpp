#include "make_tune/smf_writer.h"

#include <algorithm>

namespace talvessa::tune {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

// A channel message: `kind` (0x80 note-off, 0x90 note-on, 0xB0 controller, 0xC0 program) on channel
// `channel` (0 to 15) with its data bytes.
Bytes Message(int kind, int channel, int first, int second) {
  return {Byte(kind | channel), Byte(first), Byte(second)};
}
Bytes Message(int kind, int channel, int first) { return {Byte(kind | channel), Byte(first)}; }

void Put16(Bytes& out, int value) {
  out.push_back(Byte(value >> 8));
  out.push_back(Byte(value));
}

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A variable-length quantity: seven bits a byte, most significant first, the high bit on all but the last.
void PutVarLen(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

// A track's events, each at an absolute tick; written with the deltas between them.
class TrackBuilder {
 public:
  void Add(int tick, Bytes event) { events_.push_back({tick, std::move(event)}); }
  void Meta(int tick, std::uint8_t type, const Bytes& data) {
    Bytes event{0xFF, type};
    PutVarLen(event, static_cast<std::uint32_t>(data.size()));
    event.insert(event.end(), data.begin(), data.end());
    Add(tick, std::move(event));
  }

  // The chunk, closed by an end-of-track event at `endTick`.
  Bytes Chunk(int endTick) const {
    Bytes body;
    int now = 0;
    for (const auto& [tick, event] : events_) {
      PutVarLen(body, static_cast<std::uint32_t>(tick - now));
      body.insert(body.end(), event.begin(), event.end());
      now = tick;
    }
    PutVarLen(body, static_cast<std::uint32_t>(endTick - now));
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    Bytes chunk{'M', 'T', 'r', 'k'};
    Put32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
  }

 private:
  struct Timed {
    int tick;
    Bytes event;
  };
  std::vector<Timed> events_;
};

Bytes TempoTrack(const Tune& tune) {
  TrackBuilder track;
  // 4/4, a click every quarter, eight 32nds to the quarter.
  track.Meta(0, 0x58, {4, 2, 24, 8});
  const int tempo = tune.QuarterMicroseconds();
  track.Meta(0, 0x51, {Byte(tempo >> 16), Byte(tempo >> 8), Byte(tempo)});
  return track.Chunk(tune.LengthTicks());
}

Bytes PartTrack(const Tune& tune, int partIndex) {
  const Part& part = tune.parts[partIndex];
  const int channel = part.channel - 1;
  TrackBuilder track;
  track.Meta(0, 0x03, Bytes(part.name.begin(), part.name.end()));
  // The drum channel keeps its standard kit. Volume and pan are set on every pass of the loop, so
  // nothing a previous pass left behind can linger.
  if (!part.IsDrums()) track.Add(0, Message(0xC0, channel, part.program - 1));
  track.Add(0, Message(0xB0, channel, 7, part.volume));
  track.Add(0, Message(0xB0, channel, 10, part.pan));

  // Note-offs go before note-ons at the same tick, so a note struck again at once is heard again.
  struct NoteEvent {
    int tick;
    bool on;
    Bytes bytes;
  };
  std::vector<NoteEvent> events;
  for (const Note& note : tune.notes) {
    if (note.part != partIndex) continue;
    events.push_back({note.start, true, Message(0x90, channel, note.key, note.velocity)});
    events.push_back({note.start + note.length, false, Message(0x80, channel, note.key, 64)});
  }
  std::stable_sort(events.begin(), events.end(), [](const NoteEvent& a, const NoteEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : (!a.on && b.on);
  });
  for (NoteEvent& event : events) track.Add(event.tick, std::move(event.bytes));
  return track.Chunk(tune.LengthTicks());
}

}  // namespace

std::vector<std::uint8_t> EncodeSmf(const Tune& tune) {
  Bytes file{'M', 'T', 'h', 'd'};
  Put32(file, 6);
  Put16(file, 1);  // format 1: tracks played together
  Put16(file, static_cast<int>(tune.parts.size()) + 1);
  Put16(file, kTicksPerQuarter);
  const Bytes tempo = TempoTrack(tune);
  file.insert(file.end(), tempo.begin(), tempo.end());
  for (std::size_t i = 0; i < tune.parts.size(); ++i) {
    const Bytes track = PartTrack(tune, static_cast<int>(i));
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

}  // namespace talvessa::tune
