// The game's own tune taken apart and put together wrong, a few hundred ways, and tunes broken by hand
// in ways it cannot be bent into, each played through the real sound backend as the game plays its
// tune: opened, played, asked after at every frame, stopped and closed. Whatever the check lets through
// or refuses, no call may hold the game, the game closes in time and the synthesiser says little. The
// worst call, how many tunes the check refused and how many lines the synthesiser wrote are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "formats/media_checks.h"
#include "formats/midi_file.h"
#include "listening.h"

namespace talvessa {
namespace {

using namespace testing;  // NOLINT: the helpers of these checks

// Opening the tune checks it, then waits a bounded 2 s for its render; on a busy machine under the
// sanitizers the check takes its share too.
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
  Tracks tracks;
  const MidiFile midi = ReadMidiFile(file);
  for (const auto& events : midi.tracks) {
    tracks.emplace_back();
    std::int64_t tick = 0;
    for (const MidiEvent& event : events) {
      Piece& piece =
          tracks.back().emplace_back(Piece{static_cast<std::uint32_t>(event.tick - tick), {event.status}});
      tick = event.tick;
      if (event.status == 0xFF) piece.bytes.push_back(event.metaType);
      if (!event.IsChannelMessage()) PutNumber(piece.bytes, static_cast<std::uint32_t>(event.data.size()));
      piece.bytes.insert(piece.bytes.end(), event.data.begin(), event.data.end());
    }
  }
  return tracks;
}

// Written out as the game's tune is (format 1, 480 ticks a quarter note), by default with running status.
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

// The big-endian number of `count` bytes at `at` of a file, read and written in place.
std::uint32_t BigAt(const Bytes& file, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | file[at + static_cast<std::size_t>(i)];
  return value;
}
void SetBig(Bytes& file, std::size_t at, std::uint32_t value, int count) {
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
  // The header's fields and the tracks' lengths, changed where they stand.
  const auto patch = [&](std::string what, const std::function<void(Bytes&)>& change) {
    Bytes file = plain;
    change(file);
    out.push_back({std::move(what), std::move(file)});
  };

  // Meta events of other lengths, and lengths that lie about what follows them.
  for (std::size_t t = 0; t < whole.size(); ++t) {
    for (std::size_t e = 0; e < whole[t].size(); ++e) {
      const Piece& piece = whole[t][e];
      if (!piece.IsMeta()) continue;
      const std::uint8_t type = piece.bytes[1];
      const std::string at = "meta " + std::to_string(type) + " of track " + std::to_string(t) + " ";
      // Kinds of a set length are tried at every length near it; texts, whose length is free, at two.
      const bool text = type >= 0x01 && type <= 0x0F;
      for (const std::size_t length :
           text ? std::vector<std::size_t>{0, 0x7F} : std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 0x7F}) {
        add(at + "of " + std::to_string(length) + " bytes",
            [&](Tracks& tune) { tune[t][e].bytes = Meta(type, Bytes(length, 0x20)); });
      }
      for (const int lie : {-1, 1}) {
        add(at + "whose length is off by " + std::to_string(lie), [&](Tracks& tune) {
          tune[t][e].bytes[2] = static_cast<std::uint8_t>(tune[t][e].bytes[2] + lie);
        });
      }
    }
  }
  // Kinds the tune has none of, at a length of one byte too few.
  add("a key signature of 3 bytes", [](Tracks& t) {
    t[0].insert(t[0].begin(), Piece{0, Meta(0x59, {0, 0, 0})});
  });
  add("an SMPTE offset of 4 bytes", [](Tracks& t) {
    t[0].insert(t[0].begin(), Piece{0, Meta(0x54, {0x60, 0, 0, 0})});
  });

  for (const std::uint32_t length : {0, 5, 7, 8, 12, 255}) {
    patch("a header of " + std::to_string(length) + " bytes", [&](Bytes& file) {
      SetBig(file, 4, length, 4);
      if (length > 6) file.insert(file.begin() + 14, length - 6, 0);
    });
    patch("a header that says " + std::to_string(length) + " bytes",
          [&](Bytes& file) { SetBig(file, 4, length, 4); });
  }
  for (const std::uint32_t count : {0, 1, 6, 8, 16, 64, 65, 100, 128, 129, 255, 256, 65535})
    patch(std::to_string(count) + " tracks announced", [&](Bytes& file) { SetBig(file, 10, count, 2); });
  for (const std::size_t count : {64, 65, 100, 128, 129}) {
    add(std::to_string(count) + " tracks", [&](Tracks& t) {
      while (t.size() < count) t.push_back(whole[t.size() % whole.size()]);
    });
  }
  for (const std::size_t track : {std::size_t{0}, std::size_t{1}, whole.size() - 1}) {
    for (const std::int64_t slip : {-4, -1, 1, 4, 0x7FFFFFFF}) {
      patch("track " + std::to_string(track) + " length off by " + std::to_string(slip), [&](Bytes& file) {
        std::size_t at = 18;  // the first track's length
        for (std::size_t t = 0; t < track; ++t) at += 8 + BigAt(file, at, 4);
        SetBig(file, at, static_cast<std::uint32_t>(BigAt(file, at, 4) + slip), 4);
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
  const std::vector<std::pair<std::string, Bytes>> exclusive = {
      {"an empty system exclusive", {0xF0, 0x00}},
      {"a system exclusive", {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
      {"an unclosed system exclusive", {0xF0, 0x03, 0x7E, 0x7F, 0x09}},
      {"a system exclusive holding a note", {0xF0, 0x04, 0x90, 0x3C, 0x64, 0xF7}},
      {"a long system exclusive", longExclusive},
      {"a system exclusive past its track", {0xF0, 0x7F, 0x01}},
      {"an escape holding a note", {0xF7, 0x03, 0x90, 0x3C, 0x64}},
      {"an escape of data", {0xF7, 0x02, 0x01, 0x02}},
      {"an empty escape", {0xF7, 0x00}},
      {"an escape holding a system exclusive", {0xF7, 0x03, 0xF0, 0x7E, 0xF7}},
  };
  for (const auto& [what, bytes] : exclusive)
    add(what, [&](Tracks& t) { t[1].insert(t[1].begin(), Piece{0, bytes}); });

  // Floods at one tick, too many events in all, too many notes held.
  for (const int count : {999, 1001, 5000, 100000, 300000}) {
    add(std::to_string(count) + " controllers at once", [&](Tracks& t) {
      t[1].insert(t[1].begin(), static_cast<std::size_t>(count), Piece{0, {0xB1, 7, 100}});
    });
  }
  for (const int copies : {10, 60}) {
    add("every track " + std::to_string(copies) + " times over", [&](Tracks& t) {
      for (auto& track : t) {
        const std::vector<Piece> body(track.begin(), track.end() - 1);
        for (int c = 1; c < copies; ++c) track.insert(track.end() - 1, body.begin(), body.end());
      }
    });
  }
  for (const int notes : {96, 97, 2048}) {
    add(std::to_string(notes) + " notes held", [&](Tracks& t) {
      for (int n = 0; n < notes; ++n)
        t[1].insert(
            t[1].begin() + n,
            Piece{0, {static_cast<std::uint8_t>(0x90 | (n / 128)), static_cast<std::uint8_t>(n % 128), 90}});
    });
  }
  // Two million notes one tick apart, written out by hand: the pieces would take too long over millions.
  Bytes notes = {0x00, 0x90, 60, 100};
  for (int i = 1; i < 2000000; ++i) notes.insert(notes.end(), {0x01, 60, 0, 0x00, 60, 100});
  notes.insert(notes.end(), {0x01, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
  out.push_back({"two million notes", TuneFile({TuneTrack(std::move(notes))})});

  // Tempos and times out of the ordinary.
  for (const std::uint32_t tempo : {0u, 1u, 100u, 0x7FFFFFu, 0xFFFFFFu}) {
    add("a tempo of " + std::to_string(tempo), [&](Tracks& t) {
      for (auto& track : t) {
        for (Piece& piece : track) {
          if (piece.IsMeta() && piece.bytes[1] == kMetaTempo) {
            piece.bytes =
                Meta(kMetaTempo, {static_cast<std::uint8_t>(tempo >> 16),
                                  static_cast<std::uint8_t>(tempo >> 8), static_cast<std::uint8_t>(tempo)});
          }
        }
      }
    });
  }
  for (std::size_t track = 0; track < whole.size(); ++track)
    add("the longest delta in track " + std::to_string(track),
        [&](Tracks& t) { t[track].back().delta = 0x0FFFFFFF; });
  patch("a division of one tick", [](Bytes& file) { SetBig(file, 12, 1, 2); });
  patch("a division of 32767 ticks", [](Bytes& file) { SetBig(file, 12, 0x7FFF, 2); });
  patch("format 0 of seven tracks", [](Bytes& file) { SetBig(file, 8, 0, 2); });
  patch("format 2", [](Bytes& file) { SetBig(file, 8, 2, 2); });

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
  const auto original = ReadMediaFile(std::string(TALVESSA_SOURCE_DIR) + "/assets/da/bg1.mid");
  ASSERT_TRUE(original.has_value());
  const std::vector<Mutant> mutants = Mutants(*original);
  ASSERT_TRUE(IsPlayableTune(mutants.front().file));
  ASSERT_EQ(mutants[1].file, *original) << "the tune is not put together again as it was";

  ASSERT_NO_FATAL_FAILURE(Open());
  ::testing::internal::CaptureStderr();
  int refused = 0;
  std::string worstMutant;
  double worstMs = 0;
  double worstOpenMs = 0;
  std::string longTune;
  for (std::size_t i = 0; i < mutants.size(); ++i) {
    const std::string path = WriteMedia("bg" + std::to_string(i) + ".mid", mutants[i].file);
    if (mutants[i].what == "every track 10 times over") longTune = path;
    const double openMs = Ms([&] { audio().OpenMusic(path); });
    double ms = Ms([&] {
      audio().PlayMusic();
      if (audio().MusicStatus() == MusicMode::NotOpen) ++refused;
    });
    // A tune taken is played over a few frames, its status asked at each, events pumped.
    for (int frame = 0; frame < 6; ++frame) {
      ms = std::max(ms, Ms([&] { audio().MusicStatus(); }));
      ms = std::max(ms, Ms([&] { input().PumpEvents(); }));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ms = std::max({ms, Ms([&] { audio().StopMusic(); }), Ms([&] { audio().CloseMusic(); })});
    if (ms > worstMs) worstMutant = mutants[i].what;
    worstMs = std::max(worstMs, ms);
    worstOpenMs = std::max(worstOpenMs, openMs);
    EXPECT_LT(openMs, kOpenHeldMs) << mutants[i].what;
    EXPECT_LT(ms, kHeldMs) << mutants[i].what;
  }
  // The game ends while a long tune it took plays, its render still going.
  PlayTune(longTune);
  const double closingMs = Ms([&] { platform_.reset(); });
  const std::size_t lines = CapturedStderrLines();
  std::printf(
      "mutants played: %zu; refused by the check: %d; worst call after opening: %.1f ms (%s); worst "
      "opening: %.1f ms; closing: %.1f ms; stderr lines: %zu\n",
      mutants.size(), refused, worstMs, worstMutant.c_str(), worstOpenMs, closingMs, lines);
  EXPECT_LT(closingMs, kClosingMs) << "closing";
  EXPECT_LE(lines, kMostLines) << "the synthesiser flooded stderr";
}

}  // namespace
}  // namespace talvessa
