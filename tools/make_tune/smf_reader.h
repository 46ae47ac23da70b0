// Reads a standard MIDI file back: strict about its structure, so a file it accepts is one any player
// can walk to the end of every track.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace talvessa::tune {

class MidiFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MidiEvent {
  int tick = 0;             // from the start of the track
  std::uint8_t status = 0;  // 0x80-0xEF a channel message, 0xF0 or 0xF7 system exclusive, 0xFF meta
  std::uint8_t metaType = 0;
  std::vector<std::uint8_t> data;  // a channel message's data bytes, or the payload

  int Kind() const { return status & 0xF0; }
  int Channel() const { return (status & 0x0F) + 1; }  // 1 to 16, as the channels are counted
  bool IsChannelMessage() const { return status < 0xF0; }
  bool IsMeta(std::uint8_t type) const { return status == 0xFF && metaType == type; }
  bool IsNoteOn() const { return Kind() == 0x90 && data[1] != 0; }
  bool IsNoteOff() const { return Kind() == 0x80 || (Kind() == 0x90 && data[1] == 0); }
};

constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;

struct MidiFile {
  int format = 0;
  int division = 0;                            // ticks per quarter note
  std::vector<std::vector<MidiEvent>> tracks;  // each ends with its end-of-track event

  int EndTick() const;  // where the last track ends
  // The tempo at tick 0, in microseconds per quarter (120 beats a minute when no tempo is set).
  int QuarterMicroseconds() const;
  double Seconds() const;  // the playing time up to EndTick, through every tempo change
};

// Throws MidiFileError naming the track or byte at fault: a wrong chunk header, a track longer than the
// file, a truncated event, a data byte without a status, a track without end-of-track or with anything
// after it, or bytes after the last track.
MidiFile ReadSmf(std::span<const std::uint8_t> bytes);

}  // namespace talvessa::tune
