// The reader of standard MIDI files that the tune tool and the game's tune check share: events with their
// times, kinds and data; the faults it refuses; and how much of a file each way of reading takes.
#include "formats/midi_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace talvessa {
namespace {

std::vector<std::uint8_t> Smf(int declaredTracks, const std::vector<std::vector<std::uint8_t>>& bodies) {
  std::vector<std::uint8_t> file = {
      'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(declaredTracks), 0, 96};
  for (const auto& body : bodies) {
    file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(body.size())});
    file.insert(file.end(), body.begin(), body.end());
  }
  return file;
}

TEST(SmfReader, ReadsTicksRunningStatusAndTempoChanges) {
  // 120 beats a minute for a quarter, then 60 for another; the note ends by running status.
  const MidiFile file = ReadMidiFile(Smf(1, {{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo 500000
                                              0x00, 0x90, 0x3C, 0x40,                    // note on
                                              0x60, 0x3C, 0x00,                          // note off, running
                                              0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // tempo 1000000
                                              0x60, 0xFF, 0x2F, 0x00}}));
  ASSERT_EQ(file.tracks.size(), 1u);
  const auto& events = file.tracks[0];
  ASSERT_EQ(events.size(), 5u);
  EXPECT_TRUE(events[1].IsNoteOn());
  EXPECT_TRUE(events[2].IsNoteOff());
  EXPECT_EQ(events[2].tick, 96);
  EXPECT_EQ(file.EndTick(), 192);
  EXPECT_DOUBLE_EQ(file.Seconds(), 1.5);
}

TEST(SmfReader, RejectsDamagedFiles) {
  const std::vector<std::uint8_t> note = {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40};
  auto with = [&](std::vector<std::uint8_t> tail) {
    std::vector<std::uint8_t> body = note;
    body.insert(body.end(), tail.begin(), tail.end());
    return body;
  };
  const std::vector<std::uint8_t> good = Smf(1, {with({0x00, 0xFF, 0x2F, 0x00})});
  ASSERT_NO_THROW(ReadMidiFile(good));

  std::vector<std::uint8_t> wrongId = good;
  wrongId[3] = 'x';
  std::vector<std::uint8_t> truncated = good;
  truncated.pop_back();
  std::vector<std::uint8_t> trailing = good;
  trailing.push_back(0);
  const std::pair<const char*, std::vector<std::uint8_t>> damaged[] = {
      {"a wrong header", wrongId},
      {"a track longer than the file", truncated},
      {"bytes after the last track", trailing},
      {"fewer tracks than the header says", Smf(2, {with({0x00, 0xFF, 0x2F, 0x00})})},
      {"no end-of-track", Smf(1, {note})},
      {"an event after end-of-track", Smf(1, {with({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x40})})},
      {"a data byte without a status", Smf(1, {{0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}})},
      {"an event cut short", Smf(1, {{0x00, 0x90, 0x3C}})},
      {"a delta time over four bytes", Smf(1, {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}})},
  };
  for (const auto& [what, bytes] : damaged) EXPECT_THROW(ReadMidiFile(bytes), MidiFileError) << what;
}

using Bytes = std::vector<std::uint8_t>;

// What a reading handed over: each event's track, tick, status, meta type and data.
struct Seen {
  int track;
  std::int64_t tick;
  int status, metaType;
  Bytes data;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> Walk(const Bytes& file, MidiReading reading) {
  std::vector<Seen> seen;
  ReadMidiEvents(file, reading, [&](int track, const MidiEvent& e) {
    seen.push_back({track, e.tick, e.status, e.metaType, Bytes(e.data.begin(), e.data.end())});
  });
  return seen;
}

TEST(MidiReader, HandsOverEveryEventWithItsTrackTimeKindAndData) {
  const Bytes file = Smf(2, {{0x00, 0xFF, 0x03, 0x02, 'a', 'b',          // track name
                              0x10, 0xF0, 0x03, 0x7E, 0x7F, 0xF7,        // system exclusive
                              0x00, 0xFF, 0x2F, 0x00},                   // end of track
                             {0x00, 0xC1, 0x05,                          // program: one data byte
                              0x00, 0x91, 0x3C, 0x40,                    // note on, channel 2
                              0x81, 0x00, 0x3C, 0x00,                    // 128 ticks on, by running status
                              0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // tempo
                              0x00, 0xFF, 0x2F, 0x00}});
  const std::vector<Seen> expected = {
      {0, 0, 0xFF, 0x03, {'a', 'b'}},
      {0, 16, 0xF0, 0, {0x7E, 0x7F, 0xF7}},
      {0, 16, 0xFF, 0x2F, {}},
      {1, 0, 0xC1, 0, {0x05}},
      {1, 0, 0x91, 0, {0x3C, 0x40}},
      {1, 128, 0x91, 0, {0x3C, 0x00}},
      {1, 128, 0xFF, 0x51, {0x0F, 0x42, 0x40}},
      {1, 128, 0xFF, 0x2F, {}},
  };
  for (const MidiReading reading : {MidiReading::kStrict, MidiReading::kAsPlayed}) {
    EXPECT_TRUE(Walk(file, reading) == expected);
  }
  const MidiFile kept = ReadMidiFile(file);
  ASSERT_EQ(kept.tracks.size(), 2u);
  EXPECT_EQ(kept.tracks[1][1].Channel(), 2);
  EXPECT_EQ(kept.tracks[1][3].Tempo(), 1'000'000);
  EXPECT_EQ(kept.tracks[0][0].Tempo(), std::nullopt);
}

TEST(MidiReader, OnlyTheStrictReadingRefusesWhatAPlayerNeverReaches) {
  const Bytes note = {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40};
  auto with = [&](Bytes tail) {
    Bytes body = note;
    body.insert(body.end(), tail.begin(), tail.end());
    return body;
  };
  Bytes trailing = Smf(1, {with({0x00, 0xFF, 0x2F, 0x00})});
  trailing.insert(trailing.end(), {'M', 'T', 'r', 'k'});
  const std::pair<const char*, Bytes> cases[] = {
      {"an event after end-of-track", Smf(1, {with({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x40})})},
      {"bytes after end-of-track that are no event", Smf(1, {with({0x00, 0xFF, 0x2F, 0x00, 0xF2, 0xFF})})},
      {"bytes after the last track", trailing},
  };
  for (const auto& [what, file] : cases) {
    EXPECT_THROW(Walk(file, MidiReading::kStrict), MidiFileError) << what;
    const std::vector<Seen> played = Walk(file, MidiReading::kAsPlayed);
    ASSERT_EQ(played.size(), 3u) << what;
    EXPECT_EQ(played.back().metaType, kMetaEndOfTrack) << what;
  }
}

// What the player refuses, either reading refuses: it would refuse the whole file and, told to loop,
// try it again without end.
TEST(MidiReader, BothReadingsRefuseWhatThePlayerCannotRead) {
  const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
  auto track = [&](Bytes events) {
    events.insert(events.end(), end.begin(), end.end());
    return Smf(1, {events});
  };
  auto header = [&](std::uint8_t length) {
    Bytes file = Smf(1, {end});
    file[7] = length;
    file.insert(file.begin() + 14, length > 6 ? length - 6 : 0, 0);
    return file;
  };
  const std::pair<const char*, Bytes> cases[] = {
      {"end-of-track with data", Smf(1, {{0x00, 0xFF, 0x2F, 0x01, 0x00}})},
      {"a tempo of two bytes", track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})},
      {"a tempo of four bytes", track({0x00, 0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x00})},
      {"an SMPTE offset of four bytes", track({0x00, 0xFF, 0x54, 0x04, 0x60, 0x00, 0x00, 0x00})},
      {"a time signature of three bytes", track({0x00, 0xFF, 0x58, 0x03, 0x04, 0x02, 0x18})},
      {"a key signature of one byte", track({0x00, 0xFF, 0x59, 0x01, 0x00})},
      {"a sequence number of one byte", track({0x00, 0xFF, 0x00, 0x01, 0x00})},
      {"a channel prefix of two bytes", track({0x00, 0xFF, 0x20, 0x02, 0x00, 0x00})},
      {"a meta event of a kind above 127", track({0x00, 0xFF, 0x81, 0x00})},
      {"a header of five bytes", header(5)},
      {"a header of seven bytes", header(7)},
      {"a header of 255 bytes", header(255)},
      {"a system-exclusive escape", track({0x00, 0xF7, 0x02, 0x90, 0x3C})},
      {"a system-exclusive escape of data only", track({0x00, 0xF7, 0x01, 0x7F})},
      {"a system-exclusive message holding a status", track({0x00, 0xF0, 0x03, 0x7E, 0x90, 0xF7})},
  };
  for (const auto& [what, file] : cases) {
    for (const MidiReading reading : {MidiReading::kStrict, MidiReading::kAsPlayed}) {
      EXPECT_THROW(Walk(file, reading), MidiFileError) << what;
    }
  }
  // Their right lengths, and kinds of no set length, pass.
  EXPECT_NO_THROW(Walk(track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 4,    2,
                              24,   8,    0x00, 0xFF, 0x59, 0x02, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00,
                              0xFF, 0x7F, 0x03, 0x43, 0x7B, 0x00, 0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7}),
                       MidiReading::kStrict));
}

TEST(MidiReader, FaultsNameTheByteAndTheTrack) {
  const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
  Bytes format3 = Smf(1, {end});
  format3[9] = 3;
  Bytes frames = Smf(1, {end});
  frames[12] = 0xE7;  // 25 frames a second
  // The first track's events start at byte 22.
  const std::pair<Bytes, std::string> cases[] = {
      {format3, "byte 14: format 3 is not 0, 1 or 2"},
      {frames, "byte 14: not a count of ticks per quarter"},
      {Smf(1, {{0x00, 0x90, 0x3C, 0x85, 0x00, 0xFF, 0x2F, 0x00}}), "byte 23: track 1: a data byte above 127"},
      {Smf(1, {{0x00, 0xF2, 0x00, 0x00, 0x00, 0xFF, 0x2F, 0x00}}),
       "byte 23: track 1: a system message that has no place in a file"},
      {Smf(2, {end, {0x00, 0xFF, 0x01, 0x01, 'a'}}), "byte 39: track 2: no end-of-track"},
      {Smf(1, {{0x00, 0xFF, 0x01, 0x05, 'a'}}), "byte 26: an item runs past the end of its chunk"},
  };
  for (const auto& [file, says] : cases) {
    for (const MidiReading reading : {MidiReading::kStrict, MidiReading::kAsPlayed}) {
      try {
        Walk(file, reading);
        ADD_FAILURE() << "accepted: " << says;
      } catch (const MidiFileError& e) {
        EXPECT_EQ(std::string(e.what()), says);
      }
    }
  }
}

}  // namespace
}  // namespace talvessa
