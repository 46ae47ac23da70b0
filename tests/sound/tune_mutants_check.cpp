// The game's own tune put together wrong, a few hundred ways, and tunes broken by hand in ways it cannot
// be bent into, each played through the real sound backend as the game plays its tune. Whatever the
// check lets through or refuses, no call may hold the game, the game closes in time and the synthesiser
// says little.
#include <random>
#include <tuple>

#include "formats/media_checks.h"
#include "formats/midi_file.h"
#include "listening.h"

namespace talvessa::testing {
namespace {

// Opening the tune checks it, then waits a bounded 2 s for its render; the check takes its share too.
constexpr double kOpenHeldMs = 5000;
// The game closes its sound within its bounded wait, however the render is held.
constexpr double kClosingMs = 3000;
// The synthesiser may say what is wrong with a tune, a line for each fault; a flood is thousands.
constexpr std::size_t kMostLines = 30;

// One event as it stands in a track: its delta time, then its bytes with their status in full.
struct Piece {
  std::uint32_t delta = 0;
  Bytes bytes;
  bool IsChannelMessage() const { return bytes[0] < 0xF0; }
  bool IsMeta() const { return bytes[0] == 0xFF; }
};
using Tracks = std::vector<std::vector<Piece>>;

Bytes Meta(std::uint8_t type, const Bytes& payload) {
  Bytes bytes{0xFF, type};
  PutNumber(bytes, static_cast<std::uint32_t>(payload.size()));
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

Tracks TakeApart(const Bytes& file) {
  const MidiFile midi = ReadMidiFile(file);
  Tracks tracks;
  for (const auto& events : midi.tracks) {
    std::int64_t tick = 0;
    tracks.emplace_back();
    for (const MidiEvent& event : events) {
      Bytes bytes{event.status};
      if (event.status == 0xFF) bytes.push_back(event.metaType);
      if (!event.IsChannelMessage()) PutNumber(bytes, static_cast<std::uint32_t>(event.data.size()));
      bytes.insert(bytes.end(), event.data.begin(), event.data.end());
      tracks.back().push_back(
          {static_cast<std::uint32_t>(event.tick - std::exchange(tick, event.tick)), bytes});
    }
  }
  return tracks;
}

// Written out under the game's tune's header (format 1, 480 ticks a quarter note).
Bytes Write(const Tracks& tracks, bool runningStatus = true) {
  std::vector<TuneTrack> out;
  for (const auto& pieces : tracks) {
    Bytes body;
    std::uint8_t running = 0;
    for (const Piece& piece : pieces) {
      PutNumber(body, piece.delta);
      const bool same = runningStatus && piece.IsChannelMessage() && piece.bytes[0] == running;
      body.insert(body.end(), piece.bytes.begin() + (same ? 1 : 0), piece.bytes.end());
      running = piece.IsChannelMessage() ? piece.bytes[0] : 0;
    }
    out.emplace_back(std::move(body));
  }
  return TuneFile(out);
}

// The big-endian number of four bytes at `at`, read; of `count` bytes, written in place.
std::uint32_t BigAt(const Bytes& file, std::size_t at) {
  return std::uint32_t{file[at]} << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
}
void SetBig(Bytes& file, std::size_t at, int count, std::uint32_t value) {
  for (int i = 0; i < count; ++i)
    file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
}

struct Mutant {
  std::string what;
  Bytes file;
};

// Every mutant, made the same way on every run.
std::vector<Mutant> Mutants(const Bytes& original) {
  const Tracks whole = TakeApart(original);
  const Bytes plain = Write(whole);
  std::vector<Mutant> out{{"as it is", plain}, {"without running status", Write(whole, false)}};
  const auto add = [&](std::string what, const std::function<void(Tracks&)>& change) {
    Tracks tune = whole;
    change(tune);
    out.push_back({std::move(what), Write(tune)});
  };
  // Bytes changed where they stand: the header's fields, the tracks' lengths, noise.
  const auto patch = [&](std::string what, const std::function<void(Bytes&)>& change) {
    Bytes file = plain;
    change(file);
    out.push_back({std::move(what), std::move(file)});
  };
  // Events put first in the first track of notes.
  const auto insert = [&](std::string what, const std::vector<Piece>& pieces) {
    add(std::move(what), [&](Tracks& t) { t[1].insert(t[1].begin(), pieces.begin(), pieces.end()); });
  };

  // Meta events of other lengths and tempos, and lengths that lie about what follows them.
  for (std::size_t t = 0; t < whole.size(); ++t) {
    for (std::size_t e = 0; e < whole[t].size(); ++e) {
      if (!whole[t][e].IsMeta()) continue;
      const std::uint8_t type = whole[t][e].bytes[1];
      const std::string at = "meta " + std::to_string(type) + " of track " + std::to_string(t) + " ";
      const auto set = [&](std::string what, Bytes bytes) {
        add(at + what, [&](Tracks& tune) { tune[t][e].bytes = bytes; });
      };
      // Kinds of a set length are tried at every length near it; texts, whose length is free, at two.
      const bool text = type >= 0x01 && type <= 0x0F;
      for (const std::size_t length :
           text ? std::vector<std::size_t>{0, 0x7F} : std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 0x7F})
        set("of " + std::to_string(length) + " bytes", Meta(type, Bytes(length, 0x20)));
      for (const int lie : {-1, 1}) {
        Bytes lying = whole[t][e].bytes;
        lying[2] = static_cast<std::uint8_t>(lying[2] + lie);
        set("whose length is off by " + std::to_string(lie), lying);
      }
      for (const std::uint32_t tempo : {0u, 1u, 100u, 0x7FFFFFu, 0xFFFFFFu}) {
        const auto byte = [tempo](int shift) { return static_cast<std::uint8_t>(tempo >> shift); };
        if (type == kMetaTempo)
          set("a tempo of " + std::to_string(tempo), Meta(kMetaTempo, {byte(16), byte(8), byte(0)}));
      }
    }
  }
  // Kinds the tune has none of, one byte short.
  insert("a key signature of 3 bytes", {{0, Meta(0x59, {0, 0, 0})}});
  insert("an SMPTE offset of 4 bytes", {{0, Meta(0x54, {0x60, 0, 0, 0})}});

  for (const std::uint32_t length : {0, 5, 7, 8, 12, 255}) {
    patch("a header of " + std::to_string(length) + " bytes", [&](Bytes& file) {
      SetBig(file, 4, 4, length);
      if (length > 6) file.insert(file.begin() + 14, length - 6, 0);
    });
    patch("a header that says " + std::to_string(length) + " bytes",
          [&](Bytes& file) { SetBig(file, 4, 4, length); });
  }
  for (const std::uint32_t count : {0, 1, 6, 8, 16, 64, 65, 100, 128, 129, 255, 256, 65535})
    patch(std::to_string(count) + " tracks announced", [&](Bytes& file) { SetBig(file, 10, 2, count); });
  for (const std::size_t count : {64, 65, 100, 128, 129}) {
    add(std::to_string(count) + " tracks", [&](Tracks& t) {
      while (t.size() < count) t.push_back(whole[t.size() % whole.size()]);
    });
  }
  for (const std::size_t track : {std::size_t{0}, std::size_t{1}, whole.size() - 1}) {
    for (const std::int64_t slip : {-4, -1, 1, 4, 0x7FFFFFFF}) {
      patch("track " + std::to_string(track) + " length off by " + std::to_string(slip), [&](Bytes& file) {
        std::size_t at = 18;  // the first track's length
        for (std::size_t t = 0; t < track; ++t) at += 8 + BigAt(file, at);
        SetBig(file, at, 4, static_cast<std::uint32_t>(BigAt(file, at) + slip));
      });
    }
  }
  add("the status left out after each meta event", [](Tracks& t) {
    for (auto& track : t) {
      for (std::size_t e = 1; e < track.size(); ++e) {
        if (track[e - 1].IsMeta() && track[e].IsChannelMessage())
          track[e].bytes.erase(track[e].bytes.begin());
      }
    }
  });

  // System exclusive: whole, holding status bytes, unclosed, escaped, running past its track.
  Bytes longExclusive{0xF0, 0x7F};
  longExclusive.insert(longExclusive.end(), 0x7E, 0x10);
  longExclusive.push_back(0xF7);
  for (const auto& [what, bytes] : std::vector<std::pair<std::string, Bytes>>{
           {"an empty system exclusive", {0xF0, 0x00}},
           {"a system exclusive", {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
           {"an unclosed system exclusive", {0xF0, 0x03, 0x7E, 0x7F, 0x09}},
           {"a system exclusive holding a note", {0xF0, 0x04, 0x90, 0x3C, 0x64, 0xF7}},
           {"a long system exclusive", longExclusive},
           {"a system exclusive past its track", {0xF0, 0x7F, 0x01}},
           {"an escape holding a note", {0xF7, 0x03, 0x90, 0x3C, 0x64}},
           {"an escape of data", {0xF7, 0x02, 0x01, 0x02}},
           {"an empty escape", {0xF7, 0x00}},
           {"an escape holding a system exclusive", {0xF7, 0x03, 0xF0, 0x7E, 0xF7}}})
    insert(what, {{0, bytes}});

  // Floods at one tick, too many events in all, too many notes held.
  for (const std::size_t count : {999, 1001, 5000, 100000, 300000})
    insert(std::to_string(count) + " controllers at once",
           std::vector<Piece>(count, Piece{0, {0xB1, 7, 100}}));
  for (const int copies : {10, 60}) {
    add("every track " + std::to_string(copies) + " times over", [&](Tracks& t) {
      for (auto& track : t) {
        const std::vector<Piece> body(track.begin(), track.end() - 1);
        for (int c = 1; c < copies; ++c) track.insert(track.end() - 1, body.begin(), body.end());
      }
    });
  }
  for (const int notes : {96, 97, 2048}) {
    std::vector<Piece> chord;
    for (int n = 0; n < notes; ++n)
      chord.push_back(
          {0, {static_cast<std::uint8_t>(0x90 | (n / 128)), static_cast<std::uint8_t>(n % 128), 90}});
    insert(std::to_string(notes) + " notes held", chord);
  }
  // Two million notes one tick apart, written out by hand: as pieces they would take too long.
  Bytes notes = {0x00, 0x90, 60, 100};
  for (int i = 1; i < 2000000; ++i) notes.insert(notes.end(), {0x01, 60, 0, 0x00, 60, 100});
  notes.insert(notes.end(), {0x01, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
  out.push_back({"two million notes", TuneFile({TuneTrack(std::move(notes))})});

  // Times out of the ordinary.
  for (std::size_t track = 0; track < whole.size(); ++track)
    add("the longest delta in track " + std::to_string(track),
        [&](Tracks& t) { t[track].back().delta = 0x0FFFFFFF; });
  for (const auto& [what, at, value] : std::vector<std::tuple<std::string, std::size_t, std::uint32_t>>{
           {"a division of one tick", 12, 1},
           {"a division of 32767 ticks", 12, 0x7FFF},
           {"format 0 of seven tracks", 8, 0},
           {"format 2", 8, 2}})
    patch(what, [&](Bytes& file) { SetBig(file, at, 2, value); });

  // Bytes changed at random, and the file cut short.
  std::mt19937 random(20261208);
  for (int i = 0; i < 60; ++i) {
    patch("random bytes " + std::to_string(i), [&](Bytes& file) {
      for (int c = 0; c <= i % 3; ++c)
        file[std::uniform_int_distribution<std::size_t>(0, file.size() - 1)(random)] =
            static_cast<std::uint8_t>(random());
    });
  }
  for (std::size_t i = 1; i <= 20; ++i)
    patch("cut to " + std::to_string(i * 5) + "%", [&](Bytes& file) { file.resize(plain.size() * i / 21); });
  return out;
}

class TuneMutants : public SdlSoundListening {};

TEST_F(TuneMutants, NoneHoldsTheGame) {
  const auto original = ReadMediaFile(GameMedia("bg1.mid"));
  ASSERT_TRUE(original.has_value());
  const std::vector<Mutant> mutants = Mutants(*original);
  ASSERT_TRUE(IsPlayableTune(mutants.front().file));
  ASSERT_EQ(mutants[1].file, *original) << "the tune is not put together again as it was";

  ASSERT_NO_FATAL_FAILURE(Open());
  ::testing::internal::CaptureStderr();
  std::string longTune;
  for (std::size_t i = 0; i < mutants.size(); ++i) {
    const std::string path = WriteMedia("bg" + std::to_string(i) + ".mid", mutants[i].file);
    if (mutants[i].what == "every track 10 times over") longTune = path;
    EXPECT_LT(Ms([&] { audio().OpenMusic(path); }), kOpenHeldMs) << mutants[i].what;
    // Played over a few frames, as the game plays: its status asked at each, events pumped.
    double ms = Ms([&] { audio().PlayMusic(); });
    for (int frame = 0; frame < 6; ++frame) {
      ms = std::max({ms, Ms([&] { audio().MusicStatus(); }), Ms([&] { input().PumpEvents(); })});
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ms = std::max({ms, Ms([&] { audio().StopMusic(); }), Ms([&] { audio().CloseMusic(); })});
    EXPECT_LT(ms, kHeldMs) << mutants[i].what;
  }
  // The game ends while a long tune it took plays, its render still going.
  PlayTune(longTune);
  EXPECT_LT(Ms([&] { platform_.reset(); }), kClosingMs) << "closing";
  EXPECT_LE(CapturedStderrLines(), kMostLines) << "the synthesiser flooded stderr";
}

}  // namespace
}  // namespace talvessa::testing
