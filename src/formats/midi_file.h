// Standard MIDI files, read event by event: the header, then every track's events with their times,
// kinds and data. The reader holds a file to the structure a player relies on to walk every track to
// its end, and says where a file breaks it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace talvessa {

// A fault in a file's structure; the message names the byte, and the track, at fault.
class MidiFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MidiHeader {
  int format = 0;      // 0 one track, 1 tracks played together, 2 separate pieces
  int trackCount = 0;  // as the header announces them
  int division = 0;    // ticks per quarter note
};

constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;

// One event of a track. Its data views the bytes that were read, which must outlive it.
struct MidiEvent {
  std::int64_t tick = 0;    // from the start of the track
  std::uint8_t status = 0;  // 0x80-0xEF a channel message, 0xF0 or 0xF7 system exclusive, 0xFF meta
  std::uint8_t metaType = 0;
  std::span<const std::uint8_t> data;  // a channel message's data bytes, or the payload

  int Kind() const { return status & 0xF0; }
  int Channel() const { return (status & 0x0F) + 1; }  // 1 to 16, as the channels are counted
  bool IsChannelMessage() const { return status < 0xF0; }
  bool IsMeta(std::uint8_t type) const { return status == 0xFF && metaType == type; }
  bool IsNoteOn() const { return Kind() == 0x90 && data[1] != 0; }
  bool IsNoteOff() const { return Kind() == 0x80 || (Kind() == 0x90 && data[1] == 0); }
  // A tempo event's microseconds per quarter note; nothing for any other event or a tempo event whose
  // payload is not three bytes.
  std::optional<int> Tempo() const;
};

// How much of a file is read.
enum class MidiReading {
  // Every byte: an end-of-track event closes its track, and nothing follows the last track.
  kStrict,
  // As a player walks the file: each track up to its end-of-track event, whatever follows it, and the
  // file up to the last track its header announces.
  kAsPlayed,
};

using MidiEventVisitor = std::function<void(int track, const MidiEvent& event)>;

// Reads the header, then every track in order, handing each event to `visit` with its track (counted
// from 0), the end-of-track event last; returns the header. Throws MidiFileError at the first fault: a
// wrong chunk name, a header of other than six bytes, a format other than 0, 1 or 2, a format 0 file of
// other than one track, a division of zero or in SMPTE frames, a track longer than the file, an event cut
// short, a number over four bytes, a data byte without a status or above 127, a system message that has
// no place in a file, a meta event of a kind above 127 or whose length does not fit its kind (end-of-track
// with data, a tempo of other than three bytes, ...), a system-exclusive message with a status byte in
// it, a system-exclusive escape (F7), a track without end-of-track; read strictly, also an event after
// end-of-track or bytes after the last track.
MidiHeader ReadMidiEvents(std::span<const std::uint8_t> bytes, MidiReading reading,
                          const MidiEventVisitor& visit);

// A whole file, read strictly, with its events kept track by track.
struct MidiFile {
  int format = 0;
  int division = 0;                                        // ticks per quarter note
  std::vector<std::vector<MidiEvent>> tracks;              // each ends with its end-of-track event
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;  // the file, which the events' data views

  std::int64_t EndTick() const;  // where the last track ends
  // The tempo at tick 0, in microseconds per quarter (120 beats a minute when no tempo is set).
  int QuarterMicroseconds() const;
  double Seconds() const;  // the playing time up to EndTick, through every tempo change
};

// Throws MidiFileError as ReadMidiEvents does.
MidiFile ReadMidiFile(std::span<const std::uint8_t> bytes);

}  // namespace talvessa
