// The game's tune as the generator holds it: parts on MIDI channels and notes placed in ticks, every
// bar 4/4. Made from a note list (note_list.h) and written out as a standard MIDI file (smf_writer.h).
#pragma once

#include <string>
#include <vector>

namespace talvessa::tune {

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerBar = 4 * kTicksPerQuarter;
constexpr int kDrumChannel = 10;  // General MIDI's percussion channel, counted from 1

// One instrument on its own channel.
struct Part {
  std::string name;
  int channel = 0;   // 1 to 16
  int program = 0;   // General MIDI program 1 to 128; 0 on the drum channel, which has its kit
  int velocity = 0;  // of an unmarked note
  int gate = 0;      // how much of its written length a note sounds, in percent
  int volume = 0;    // channel volume (controller 7)
  int pan = 0;       // 0 left, 64 centre, 127 right (controller 10)
  bool IsDrums() const { return channel == kDrumChannel; }
};

// One sounding note; `start` and `length` in ticks from the beginning of the tune.
struct Note {
  int part = 0;  // index into Tune::parts
  int start = 0;
  int length = 0;
  int key = 0;  // MIDI key number
  int velocity = 0;
};

struct Tune {
  int bpm = 0;
  int bars = 0;
  std::vector<Part> parts;
  std::vector<Note> notes;  // in the order written: bar by bar, part line by part line

  int LengthTicks() const { return bars * kTicksPerBar; }
  // Microseconds per quarter note, as the tempo event stores it.
  int QuarterMicroseconds() const { return 60'000'000 / bpm; }
};

}  // namespace talvessa::tune
