// The tune: the generator against the committed MIDI file; that file as a player walks it (its form,
// length, channels, loudness and loop seam); and what the note list means.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "asset_files.h"
#include "formats/midi_file.h"
#include "make_tune/note_list.h"
#include "make_tune/smf_writer.h"

namespace talvessa::tune {
namespace {

using testing::kTuneMidi;
using testing::kTuneNoteList;
using testing::ReadFile;

// A note as the file plays it: from its note-on to its note-off.
struct Sounding {
  int track, channel, key, velocity, start, end;
  auto Tied() const { return std::tie(channel, key, start, end, velocity); }
  bool operator<(const Sounding& o) const { return Tied() < o.Tied(); }
  bool operator==(const Sounding& o) const { return Tied() == o.Tied(); }
};

// Pairs every note-on with the next note-off of its key and channel in the same track; a second
// note-on of a sounding key, a note-off of a silent one and a key left sounding are failures.
std::vector<Sounding> PairNotes(const MidiFile& file) {
  std::vector<Sounding> notes;
  for (std::size_t t = 0; t < file.tracks.size(); ++t) {
    std::map<std::pair<int, int>, std::size_t> sounding;  // channel and key to its note
    for (const MidiEvent& e : file.tracks[t]) {
      if (!e.IsChannelMessage() || (!e.IsNoteOn() && !e.IsNoteOff())) continue;
      const std::pair<int, int> key{e.Channel(), e.data[0]};
      const auto open = sounding.find(key);
      if (e.IsNoteOn()) {
        EXPECT_EQ(open, sounding.end()) << "track " << t << " strikes key " << key.second << " again at "
                                        << e.tick << " before letting it go";
        sounding[key] = notes.size();
        notes.push_back(
            {static_cast<int>(t), key.first, key.second, e.data[1], static_cast<int>(e.tick), -1});
      } else if (open == sounding.end()) {
        ADD_FAILURE() << "track " << t << " lets go of silent key " << key.second << " at " << e.tick;
      } else {
        notes[open->second].end = e.tick;
        sounding.erase(open);
      }
    }
    EXPECT_TRUE(sounding.empty()) << "track " << t << " ends with keys still down";
  }
  return notes;
}

const MidiFile& Committed() {
  static const MidiFile file = ReadMidiFile(ReadFile(kTuneMidi));
  return file;
}

const std::vector<Sounding>& CommittedNotes() {
  static const std::vector<Sounding> notes = PairNotes(Committed());
  return notes;
}

TEST(TuneGenerator, ReproducesTheCommittedFileByteForByte) {
  EXPECT_TRUE(EncodeSmf(ReadNoteList(kTuneNoteList)) == ReadFile(kTuneMidi))
      << "rebuild with the tune target";
}

TEST(CommittedTune, IsATempoTrackAndOneTrackPerChannelEachSetUpAtTickZero) {
  const MidiFile& file = Committed();
  EXPECT_EQ(file.format, 1);
  ASSERT_GE(file.tracks.size(), 2u);
  const auto& conductor = file.tracks[0];
  EXPECT_TRUE(std::any_of(conductor.begin(), conductor.end(),
                          [](const MidiEvent& e) { return e.tick == 0 && e.IsMeta(kMetaTempo); }));
  EXPECT_TRUE(std::none_of(conductor.begin(), conductor.end(),
                           [](const MidiEvent& e) { return e.IsChannelMessage(); }));

  std::map<int, std::size_t> owner;  // channel to track
  for (std::size_t t = 1; t < file.tracks.size(); ++t) {
    SCOPED_TRACE("track " + std::to_string(t));
    const auto& track = file.tracks[t];
    EXPECT_TRUE(track.front().IsMeta(kMetaTrackName));
    const auto first =
        std::find_if(track.begin(), track.end(), [](const MidiEvent& e) { return e.IsChannelMessage(); });
    ASSERT_NE(first, track.end());
    const int channel = first->Channel();
    EXPECT_TRUE(owner.emplace(channel, t).second) << "channel " << channel << " is shared";
    bool volumeSet = false;
    for (const MidiEvent& e : track) {
      if (!e.IsChannelMessage()) continue;
      EXPECT_EQ(e.Channel(), channel);
      // Set again on every pass of the loop, before any note.
      if (e.Kind() == 0xC0 || e.Kind() == 0xB0) {
        EXPECT_EQ(e.tick, 0);
      }
      if (e.Kind() == 0xB0 && e.data[0] == 7) volumeSet = true;
      if (e.IsNoteOn()) {
        EXPECT_TRUE(volumeSet);
      }
    }
  }
}

TEST(CommittedTune, EveryNoteOnHasItsNoteOff) {
  ASSERT_FALSE(CommittedNotes().empty());
  for (const Sounding& n : CommittedNotes())
    EXPECT_GT(n.end, n.start) << "key " << n.key << " at " << n.start;
}

TEST(CommittedTune, LastsThirtyToSixtySecondsAtACaperTempo) {
  const MidiFile& file = Committed();
  int tempos = 0;
  for (const auto& track : file.tracks)
    tempos += static_cast<int>(
        std::count_if(track.begin(), track.end(), [](const MidiEvent& e) { return e.IsMeta(kMetaTempo); }));
  EXPECT_EQ(tempos, 1);
  const double bpm = 60e6 / file.QuarterMicroseconds();
  EXPECT_GE(bpm, 120);
  EXPECT_LE(bpm, 140);
  EXPECT_GE(file.Seconds(), 30);
  EXPECT_LE(file.Seconds(), 60);
}

TEST(CommittedTune, DrumsPlayOnChannelTenOnly) {
  std::map<int, std::vector<int>> channelsOfTrack;
  bool drums = false;
  for (const Sounding& n : CommittedNotes()) {
    auto& channels = channelsOfTrack[n.track];
    if (std::find(channels.begin(), channels.end(), n.channel) == channels.end())
      channels.push_back(n.channel);
    if (n.channel == kDrumChannel) {
      drums = true;
      // General MIDI's percussion keys run from 35 (acoustic bass drum) to 81 (open triangle).
      EXPECT_GE(n.key, 35);
      EXPECT_LE(n.key, 81);
    }
  }
  EXPECT_TRUE(drums);
  for (const auto& [track, channels] : channelsOfTrack) {
    if (std::find(channels.begin(), channels.end(), kDrumChannel) != channels.end()) {
      EXPECT_EQ(channels.size(), 1u) << "the drum track also plays on other channels";
    }
  }
  for (const auto& track : Committed().tracks) {
    const bool hasProgram = std::any_of(track.begin(), track.end(), [](const MidiEvent& e) {
      return e.IsChannelMessage() && e.Kind() == 0xC0;
    });
    const bool hasNotes = std::any_of(
        track.begin(), track.end(), [](const MidiEvent& e) { return e.IsChannelMessage() && e.IsNoteOn(); });
    const bool isDrums = std::any_of(track.begin(), track.end(), [](const MidiEvent& e) {
      return e.IsChannelMessage() && e.Channel() == kDrumChannel;
    });
    // The kit stays the standard one; every other instrument is chosen before it plays.
    if (hasNotes) {
      EXPECT_EQ(hasProgram, !isDrums);
    }
  }
}

TEST(CommittedTune, VelocitiesAreModerateSoTheEffectsStayClear) {
  const auto& notes = CommittedNotes();
  ASSERT_FALSE(notes.empty());
  int loudest = 0;
  double sum = 0;
  for (const Sounding& n : notes) {
    loudest = std::max(loudest, n.velocity);
    sum += n.velocity;
  }
  EXPECT_LE(loudest, 100);
  EXPECT_LE(sum / static_cast<double>(notes.size()), 80);
}

TEST(CommittedTune, LoopsWithoutASeam) {
  const MidiFile& file = Committed();
  const int end = file.EndTick();
  const int bar = 4 * file.division;
  EXPECT_EQ(end % bar, 0) << "the loop is not a whole number of bars";
  for (const auto& track : file.tracks) EXPECT_EQ(track.back().tick, end) << "a track ends early";

  const auto& notes = CommittedNotes();
  ASSERT_FALSE(notes.empty());
  int first = end;
  int last = 0;
  for (const Sounding& n : notes) {
    first = std::min(first, n.start);
    last = std::max(last, n.end);
  }
  EXPECT_EQ(first, 0) << "the loop opens with silence";
  EXPECT_EQ(last, end) << "the loop closes with silence, or a note hangs across its end";
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const Sounding& n) {
    return n.start >= end - file.division / 2 && n.channel != kDrumChannel;
  })) << "the last bar does not run on into the first";
}

// The top voice and the bass each step into the first note of the tune from their last one.
TEST(CommittedTune, LastBarLeadsIntoTheFirst) {
  std::map<int, std::vector<Sounding>> byChannel;
  for (const Sounding& n : CommittedNotes()) {
    if (n.channel != kDrumChannel) byChannel[n.channel].push_back(n);
  }
  ASSERT_GE(byChannel.size(), 2u);
  auto meanKey = [](const std::vector<Sounding>& notes) {
    return std::accumulate(notes.begin(), notes.end(), 0.0,
                           [](double s, const Sounding& n) { return s + n.key; }) /
           static_cast<double>(notes.size());
  };
  const auto [lowest, highest] = std::minmax_element(
      byChannel.begin(), byChannel.end(),
      [&](const auto& a, const auto& b) { return meanKey(a.second) < meanKey(b.second); });
  for (const auto* voice : {&lowest->second, &highest->second}) {
    const auto [opening, closing] =
        std::minmax_element(voice->begin(), voice->end(), [](const Sounding& a, const Sounding& b) {
          return std::tie(a.start, a.key) < std::tie(b.start, b.key);
        });
    SCOPED_TRACE("channel " + std::to_string(opening->channel));
    EXPECT_EQ(opening->start, 0);
    EXPECT_LE(std::abs(opening->key - closing->key), 2)
        << "a leap of " << opening->key - closing->key << " at the seam";
  }
}

// ---- what a note list means ----

constexpr char kSmallTune[] = R"(tempo 120
part lead  channel 1  program 81  velocity 80  gate 50   ; a comment
part drums channel 10 velocity 60 gate 100
bar 1
lead  c4/4 bb3/8 f#5 e4+g4/4. r/8
drums kick/8t snare snare >snare/4 (hat)/2
bar 2 like 1
lead  p c4/2_ d4/2
)";

TEST(NoteList, PlacesEveryNoteOnItsTickWithItsLengthAndVelocity) {
  const Tune tune = ParseNoteList(kSmallTune, "small.tune");
  EXPECT_EQ(tune.bpm, 120);
  EXPECT_EQ(tune.bars, 2);
  ASSERT_EQ(tune.parts.size(), 2u);
  EXPECT_EQ(tune.parts[0].program, 81);
  EXPECT_TRUE(tune.parts[1].IsDrums());

  constexpr int q = kTicksPerQuarter;
  constexpr int bar = kTicksPerBar;
  auto notesOf = [&](int part) {
    std::vector<std::tuple<int, int, int, int>> out;  // start, length, key, velocity
    for (const Note& n : tune.notes) {
      if (n.part == part) out.emplace_back(n.start, n.length, n.key, n.velocity);
    }
    return out;
  };
  // The lead sounds half of each written length (gate 50); bar 2 replaces its line, softly, and holds
  // its first note for the whole half.
  const std::vector<std::tuple<int, int, int, int>> lead = {
      {0, q / 2, 60, 80},         {q, q / 4, 58, 80},         {q * 3 / 2, q / 4, 78, 80},
      {2 * q, q * 3 / 4, 64, 80}, {2 * q, q * 3 / 4, 67, 80}, {bar, 2 * q, 60, 52},
      {bar + 2 * q, q, 62, 52},
  };
  EXPECT_EQ(notesOf(0), lead);
  // Triplet eighths (the two snares meet with no gap), an accent and a ghost, then all again in bar 2.
  std::vector<std::tuple<int, int, int, int>> drums = {
      {0, q / 3, 36, 60}, {q / 3, q / 3, 38, 60}, {2 * q / 3, q / 3, 38, 60},
      {q, q, 38, 76},     {2 * q, 2 * q, 42, 36},
  };
  for (int i = 0; i < 5; ++i) {
    auto again = drums[i];
    std::get<0>(again) += bar;
    drums.push_back(again);
  }
  EXPECT_EQ(notesOf(1), drums);
}

TEST(NoteList, WrittenFileCarriesExactlyTheTunesNotesAndSettings) {
  const Tune tune = ParseNoteList(kSmallTune, "small.tune");
  const MidiFile file = ReadMidiFile(EncodeSmf(tune));
  EXPECT_EQ(file.division, kTicksPerQuarter);
  EXPECT_EQ(file.QuarterMicroseconds(), 500'000);
  EXPECT_EQ(file.EndTick(), tune.LengthTicks());
  ASSERT_EQ(file.tracks.size(), tune.parts.size() + 1);

  std::vector<Sounding> expected;
  for (const Note& n : tune.notes) {
    expected.push_back(
        {n.part + 1, tune.parts[n.part].channel, n.key, n.velocity, n.start, n.start + n.length});
  }
  std::vector<Sounding> written = PairNotes(file);
  std::sort(expected.begin(), expected.end());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, expected);

  // General MIDI programs are counted from 1 in the note list and from 0 in the file.
  const auto& lead = file.tracks[1];
  const auto program = std::find_if(
      lead.begin(), lead.end(), [](const MidiEvent& e) { return e.IsChannelMessage() && e.Kind() == 0xC0; });
  ASSERT_NE(program, lead.end());
  EXPECT_EQ(program->data[0], tune.parts[0].program - 1);
}

}  // namespace
}  // namespace talvessa::tune
