// The tune: the generator against the committed MIDI file; that file as a player walks it (its form,
// length, channels, loudness and loop seam); what the note list means and how it reports faults; the
// MIDI reader the checks rely on; and the command-line tool.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "formats/midi_file.h"
#include "make_tune/note_list.h"
#include "make_tune/smf_writer.h"
#include "asset_files.h"

namespace talvessa::tune {
namespace {

namespace fs = std::filesystem;

using testing::kAssets;
using testing::ReadFile;

const fs::path kNoteList = kAssets / "sound" / "bg1.tune";
const fs::path kMidi = kAssets / "da" / "bg1.mid";

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
        notes.push_back({static_cast<int>(t), key.first, key.second, e.data[1], static_cast<int>(e.tick), -1});
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
  static const MidiFile file = ReadMidiFile(ReadFile(kMidi));
  return file;
}

const std::vector<Sounding>& CommittedNotes() {
  static const std::vector<Sounding> notes = PairNotes(Committed());
  return notes;
}

TEST(TuneGenerator, ReproducesTheCommittedFileByteForByte) {
  EXPECT_TRUE(EncodeSmf(ReadNoteList(kNoteList)) == ReadFile(kMidi)) << "rebuild with the tune target";
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

// ---- faults in a note list ----

constexpr char kValidTune[] = R"(tempo 132
part lead channel 1 program 81
part drums channel 10
bar 1
lead d5/4 f5 a5 d6_
drums r/4 snare kick snare
bar 2 like 1
)";

// kValidTune with line `line` replaced by `text`.
std::string WithLine(int line, const std::string& text) {
  std::string out;
  int number = 0;
  std::size_t at = 0;
  const std::string base = kValidTune;
  while (at < base.size()) {
    const std::size_t end = base.find('\n', at);
    out += (++number == line ? text : base.substr(at, end - at)) + "\n";
    at = end + 1;
  }
  return out;
}

TEST(NoteListErrors, NameTheLineAndWhatIsWrong) {
  ASSERT_NO_THROW(ParseNoteList(kValidTune, "bg1.tune"));
  struct Case {
    int line;
    const char* text;
    int reportedLine;
    const char* says;
  };
  const Case cases[] = {
      {1, "tempo fast", 1, "the tempo is a whole number"},
      {1, "; no tempo", 4, "before the tempo"},
      {2, "part lead channel 1", 2, "has no program"},
      {2, "part lead channel 17 program 81", 2, "a channel is a whole number from 1 to 16"},
      {2, "part lead channel 1 program 81 loud 3", 2, "'loud' is not one of"},
      {3, "part drums channel 10 program 1", 3, "takes no program"},
      {3, "part drums channel 1", 3, "already belongs to lead"},
      {4, "bar", 4, "expected 'bar <number>'"},
      {5, "lead d5/4 f5 a5", 5, "fills 3 beats of a 4-beat bar"},
      {5, "lead d5/4 f5 a5 d6 e6", 5, "runs past the bar line at 'e6'"},
      {5, "lead d5 f5/4 a5 d6_", 5, "'d5' needs a length"},
      {5, "lead h5/4 f5 a5 d6_", 5, "'h5' is not a pitch"},
      {5, "lead d5/3 f5 a5 d6_", 5, "'3' is not a length"},
      {5, "lead d5+d5/4 f5 a5 d6_", 5, "'d5' sounds twice in one chord"},
      {5, "lead ff >d5/4 f5 a5 d6_", 5, "past 127"},
      {5, "lead r/4 f5 a5 d6_", 4, "nothing starts on the first beat"},
      {5, "lead d5/4 f5 a5 d6", 7, "nothing sounds up to the last bar line"},
      {6, "drums r/4 snare c4 snare", 6, "'c4' is not a drum"},
      {6, "snare r/4 snare kick snare", 6, "'snare' is neither a part"},
      {7, "bar 3", 7, "bar 3 where bar 2 comes next"},
      {7, "bar 2 like 2", 7, "can only be like a bar before it"},
      {7, "lead d5/4 f5 a5 d6_", 7, "lead has a second line in this bar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("line ") + std::to_string(c.line) + " as '" + c.text + "'");
    try {
      ParseNoteList(WithLine(c.line, c.text), "bg1.tune");
      ADD_FAILURE() << "accepted";
    } catch (const NoteListError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("bg1.tune:" + std::to_string(c.reportedLine) + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
  }
}

// ---- the reader the checks above rely on ----

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

// ---- the command-line tool ----

struct ToolRun {
  int status;
  std::string output;
};

ToolRun MakeTune(const fs::path& noteList, const fs::path& midi) {
  const std::string command =
      std::string(TALVESSA_MAKE_TUNE) + " '" + noteList.string() + "' '" + midi.string() + "' 2>&1";
  ToolRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 1024> buffer{};
  while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
    run.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class MakeTuneTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("talvessa-make-tune-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(MakeTuneTool, WritesTheCommittedFileAndSaysHowLongItPlays) {
  const ToolRun run = MakeTune(kNoteList, dir_ / "bg1.mid");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(ReadFile(dir_ / "bg1.mid") == ReadFile(kMidi));
  EXPECT_NE(run.output.find(" s, "), std::string::npos) << run.output;
}

TEST_F(MakeTuneTool, StopsAtAFaultyLineAndWritesNothing) {
  std::ofstream(dir_ / "bad.tune") << WithLine(5, "lead d5/4 f5 a5");
  const ToolRun run = MakeTune(dir_ / "bad.tune", dir_ / "bad.mid");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind((dir_ / "bad.tune").string() + ":5: ", 0), 0u) << run.output;
  EXPECT_FALSE(fs::exists(dir_ / "bad.mid"));
}

}  // namespace
}  // namespace talvessa::tune
