// Tunes and effects that once held the game for good or took its memory, through the real sound backend:
// the game's calls are never held, the game closes in time, the synthesiser's messages are bounded, and
// an effect costs no more memory than a few seconds of sound.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game_calls.h"
#include "listening.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::CallTimes;
using testing::kHeldMs;
using testing::kTicksPerSecond;
using testing::SdlSoundListening;
using testing::StderrLines;
using testing::TuneFile;
using testing::TuneTrack;

// The synthesiser may say what is wrong with a tune, a line for each fault; a flood is thousands.
constexpr std::size_t kMostLines = 30;
// The game closes its sound within its bounded wait, however the mixer is held.
constexpr double kClosingMs = 3000;

// A second of middle C after `before`, in one track.
TuneTrack NoteAfter(std::initializer_list<std::uint8_t> before) {
  TuneTrack track;
  track.At(0, before).At(0, {0x90, 60, 100}).At(kTicksPerSecond, {0x80, 60, 0});
  return track;
}

Bytes WithHeaderOf(std::uint8_t length) {
  TuneTrack track = NoteAfter({0xC0, 0});
  Bytes file = TuneFile({track.End()});
  file[7] = length;
  file.insert(file.begin() + 14, length - 6, 0);
  return file;
}

Bytes Tracks(int count) {
  std::vector<TuneTrack> tracks(static_cast<std::size_t>(count));
  for (TuneTrack& track : tracks) track.At(0, {0xC0, 0}).End(kTicksPerSecond);
  tracks.front() = NoteAfter({0xC0, 0}).End();
  return TuneFile(tracks);
}

Bytes EventsAtOnce(int count) {
  TuneTrack track;
  track.At(0, {0xB0, 7, 100});
  for (int i = 1; i < count; ++i) track.At(0, {7, 100});  // by running status
  track.At(0, {0x90, 60, 100}).At(kTicksPerSecond, {0x80, 60, 0});
  return TuneFile({track.End()});
}

Bytes EveryNoteOnEveryChannel() {
  TuneTrack track;
  for (std::uint8_t channel = 0; channel < 16; ++channel) {
    for (std::uint8_t key = 0; key < 128; ++key)
      track.At(0, {static_cast<std::uint8_t>(0x90 | channel), key, 100});
  }
  return TuneFile({track.End(kTicksPerSecond)});
}

// Notes one tick apart, written out by hand: the track helper takes too long over millions.
Bytes NotesInTurn(int count) {
  Bytes events = {0x00, 0x90, 60, 100};
  events.reserve(static_cast<std::size_t>(count) * 6 + 8);
  for (int i = 1; i < count; ++i) events.insert(events.end(), {0x01, 60, 0, 0x00, 60, 100});
  events.insert(events.end(), {0x01, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
  Bytes file = TuneFile({});
  testing::PutText(file, "MTrk");
  testing::PutBig(file, static_cast<std::uint32_t>(events.size()), 4);
  file.insert(file.end(), events.begin(), events.end());
  file[11] = 1;  // one track
  return file;
}

struct Fault {
  std::string name;
  std::function<Bytes()> make;
};

std::vector<Fault> TuneFaults() {
  const auto meta = [](std::initializer_list<std::uint8_t> event) {
    return [tune = TuneFile({NoteAfter(event).End()})] { return tune; };
  };
  return {
      {"TempoOfTwoBytes", meta({0xFF, 0x51, 0x02, 0x07, 0xA1})},
      {"TempoOfFourBytes", meta({0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x00})},
      {"TimeSignatureOfThreeBytes", meta({0xFF, 0x58, 0x03, 4, 2, 24})},
      {"KeySignatureOfThreeBytes", meta({0xFF, 0x59, 0x03, 0, 0, 0})},
      {"SmpteOffsetOfFourBytes", meta({0xFF, 0x54, 0x04, 0x60, 0, 0, 0})},
      {"EndOfTrackOfOneByte",
       [] {
         return TuneFile({NoteAfter({0xC0, 0}).At(0, {0xFF, 0x2F, 0x01, 0x00})});
       }},
      {"HeaderOfEightBytes", [] { return WithHeaderOf(8); }},
      {"EscapeCarryingStatusBytes", meta({0xF7, 0x03, 0x90, 0x3C, 0x64})},
      {"HundredTracks", [] { return Tracks(100); }},
      {"HundredTwentyNineTracks", [] { return Tracks(129); }},
      {"ThreeHundredThousandEventsAtOnce", [] { return EventsAtOnce(300000); }},
      {"EveryNoteOnEveryChannel", EveryNoteOnEveryChannel},
      {"TwoMillionNotes", [] { return NotesInTurn(2000000); }},
  };
}

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }
std::string CaseName(const ::testing::TestParamInfo<Fault>& info) { return info.param.name; }

class TuneFault : public SdlSoundListening, public ::testing::WithParamInterface<Fault> {
 protected:
  // Closes the platform, as the game does at its end, and gives the time it took.
  double TimedClose() {
    CallTimes closing;
    closing.Time([&] { platform_.reset(); });
    return closing.worstMs();
  }
};

TEST_P(TuneFault, NeverHoldsTheGame) {
  const std::string tune = WriteMedia("bg1.mid", GetParam().make());
  ASSERT_NO_FATAL_FAILURE(Open());
  testing::TuneCallTimes times;
  StderrLines lines(scratch_.path() / "stderr.txt");
  PlayTuneAsTheGameDoes(audio(), input(), tune, 60, times);
  audio().OpenMusic(tune);
  audio().PlayMusic();  // and the game ends while it plays
  const double closingMs = TimedClose();
  EXPECT_LT(times.open.worstMs(), testing::kOpenHeldMs);
  EXPECT_LT(times.others.worstMs(), kHeldMs);
  EXPECT_LT(closingMs, kClosingMs);
  EXPECT_LE(lines.Count(), kMostLines) << "the synthesiser flooded stderr";
}

INSTANTIATE_TEST_SUITE_P(SdlSound, TuneFault, ::testing::ValuesIn(TuneFaults()), CaseName);

// Every program of a bank the sound bank does not have, on every channel: within what a tune may cost,
// but the synthesiser complains of each program as it stands in for it with another.
Bytes ProgramsOfAMissingBank() {
  TuneTrack track;
  for (std::uint8_t channel = 0; channel < 16; ++channel) {
    track.At(0, {static_cast<std::uint8_t>(0xB0 | channel), 0, 100});
    for (std::uint8_t program = 0; program < 128; ++program) {
      track.At(1, {static_cast<std::uint8_t>(0xC0 | channel), program});
    }
  }
  track.At(0, {0x90, 60, 100}).At(kTicksPerSecond, {0x80, 60, 0});
  return TuneFile({track.End()});
}

TEST_F(SdlSoundListening, TheSynthesiserSaysEachKindOfFaultOnce) {
  const std::string tune = WriteMedia("bg1.mid", ProgramsOfAMissingBank());
  ASSERT_NO_FATAL_FAILURE(Open());
  StderrLines lines(scratch_.path() / "stderr.txt");
  audio().OpenMusic(tune);
  audio().PlayMusic();
  ASSERT_EQ(audio().MusicStatus(), MusicMode::Playing);
  ASSERT_TRUE(Record(0.8));
  platform_.reset();
  const std::size_t count = lines.Count();
  EXPECT_GE(count, 1u) << "the synthesiser had nothing to say: the test tune no longer overloads it";
  EXPECT_LE(count, 3u);
}

// The memory the process holds, in bytes.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST_F(SdlSoundListening, AnEffectOfHalfAnHourIsRefusedUnread) {
  // 16 MB at 8 kHz, 8-bit mono: the mixer would make 560 MB of it at its own rate and format.
  WriteMedia("se0.wav",
             testing::WaveFile({{"fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0}},
                                {"data", Bytes(16'000'000, 0x80)}}));
  ASSERT_NO_FATAL_FAILURE(Open());
  const std::size_t before = ResidentBytes();
  CallTimes times;
  times.Time([&] { audio().PlayEffect(Media("se0")); });
  ASSERT_TRUE(Record(0.3));
  times.Time([&] { audio().PlayEffect(Media("se0")); });
  PlayControlEffect();
  ASSERT_TRUE(Record(0.3));
  EXPECT_LT(times.worstMs(), kHeldMs);
  // The file itself is read once, and let go.
  EXPECT_LT(ResidentBytes(), before + (100u << 20));
  ExpectOnlyTheControlEffect(Finish());
}

}  // namespace
}  // namespace talvessa
