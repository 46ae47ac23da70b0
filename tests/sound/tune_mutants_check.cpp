// The game's own tune taken apart and put together wrong, a few hundred ways, each played through the
// real sound backend as the game plays its tune: opened, played, asked after at every frame, stopped and
// closed. Whatever the check lets through or refuses, no call may hold the game. The worst call, how many
// tunes the check refused and how many lines the synthesiser wrote are printed at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "formats/midi_file.h"
#include "game_calls.h"
#include "listening.h"
#include "formats/media_checks.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::CallTimes;
using testing::PutBig;
using testing::PutText;

// One event as it stands in a track: its delta time, then its bytes with their status in full.
struct Piece {
  std::uint32_t delta = 0;
  Bytes bytes;
  bool IsChannelMessage() const { return bytes[0] < 0xF0; }
  bool IsMeta() const { return bytes[0] == 0xFF; }
};

// A tune as its parts, to be written out again with faults.
struct Tune {
  std::uint32_t headerLength = 6;
  std::uint32_t headerPadding = 0;  // bytes after the six fields
  std::uint32_t format = 1;
  std::int64_t declaredTracks = -1;  // as many as there are, unless set
  std::uint32_t division = 0;
  bool runningStatus = true;
  std::vector<std::vector<Piece>> tracks;
  std::vector<std::int64_t> lengthSlips;  // added to each track's chunk length as written
};

void PutNumber(Bytes& out, std::uint32_t value) {
  Bytes number{static_cast<std::uint8_t>(value & 0x7Fu)};
  for (value >>= 7; value != 0; value >>= 7) number.insert(number.begin(), (value & 0x7Fu) | 0x80u);
  out.insert(out.end(), number.begin(), number.end());
}

Bytes Meta(std::uint8_t type, const Bytes& payload) {
  Bytes bytes{0xFF, type};
  PutNumber(bytes, static_cast<std::uint32_t>(payload.size()));
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

Tune TakeApart(const Bytes& file) {
  const MidiFile midi = ReadMidiFile(file);
  Tune tune;
  tune.format = static_cast<std::uint32_t>(midi.format);
  tune.division = static_cast<std::uint32_t>(midi.division);
  for (const auto& events : midi.tracks) {
    std::vector<Piece>& track = tune.tracks.emplace_back();
    std::int64_t tick = 0;
    for (const MidiEvent& event : events) {
      Piece piece{static_cast<std::uint32_t>(event.tick - tick), {}};
      tick = event.tick;
      if (event.status == 0xFF) {
        piece.bytes = Meta(event.metaType, Bytes(event.data.begin(), event.data.end()));
      } else {
        piece.bytes = {event.status};
        if (!event.IsChannelMessage()) PutNumber(piece.bytes, static_cast<std::uint32_t>(event.data.size()));
        piece.bytes.insert(piece.bytes.end(), event.data.begin(), event.data.end());
      }
      track.push_back(std::move(piece));
    }
  }
  return tune;
}

Bytes Write(const Tune& tune) {
  Bytes file;
  PutText(file, "MThd");
  PutBig(file, tune.headerLength, 4);
  PutBig(file, tune.format, 2);
  PutBig(file, static_cast<std::uint32_t>(tune.declaredTracks < 0 ? tune.tracks.size() : tune.declaredTracks),
         2);
  PutBig(file, tune.division, 2);
  file.insert(file.end(), tune.headerPadding, 0);
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
    Bytes body;
    std::uint8_t running = 0;
    for (const Piece& piece : tune.tracks[t]) {
      PutNumber(body, piece.delta);
      const bool same = tune.runningStatus && piece.IsChannelMessage() && piece.bytes[0] == running;
      body.insert(body.end(), piece.bytes.begin() + (same ? 1 : 0), piece.bytes.end());
      running = piece.IsChannelMessage() ? piece.bytes[0] : 0;
    }
    const std::int64_t slip = t < tune.lengthSlips.size() ? tune.lengthSlips[t] : 0;
    PutText(file, "MTrk");
    PutBig(file, static_cast<std::uint32_t>(static_cast<std::int64_t>(body.size()) + slip), 4);
    file.insert(file.end(), body.begin(), body.end());
  }
  return file;
}

struct Mutant {
  std::string what;
  Bytes file;
};

// Every mutant, made the same way on every run.
std::vector<Mutant> Mutants(const Bytes& original) {
  const Tune whole = TakeApart(original);
  std::vector<Mutant> out;
  const auto add = [&](std::string what, const std::function<void(Tune&)>& change) {
    Tune tune = whole;
    change(tune);
    out.push_back({std::move(what), Write(tune)});
  };
  add("as it is", [](Tune&) {});
  add("without running status", [](Tune& t) { t.runningStatus = false; });

  // Meta events of other lengths, and lengths that lie about what follows them.
  for (std::size_t t = 0; t < whole.tracks.size(); ++t) {
    for (std::size_t e = 0; e < whole.tracks[t].size(); ++e) {
      const Piece& piece = whole.tracks[t][e];
      if (!piece.IsMeta()) continue;
      const std::uint8_t type = piece.bytes[1];
      const std::string at = "meta " + std::to_string(type) + " of track " + std::to_string(t) + " ";
      // Kinds of a set length are tried at every length near it; texts, whose length is free, at two.
      const bool text = type >= 0x01 && type <= 0x0F;
      for (const std::size_t length :
           text ? std::vector<std::size_t>{0, 0x7F} : std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 0x7F}) {
        add(at + "of " + std::to_string(length) + " bytes",
            [&](Tune& tune) { tune.tracks[t][e].bytes = Meta(type, Bytes(length, 0x20)); });
      }
      for (const int lie : {-1, 1}) {
        add(at + "whose length is off by " + std::to_string(lie), [&](Tune& tune) {
          tune.tracks[t][e].bytes[2] = static_cast<std::uint8_t>(tune.tracks[t][e].bytes[2] + lie);
        });
      }
    }
  }

  for (const std::uint32_t length : {0, 5, 7, 8, 12, 255}) {
    add("a header of " + std::to_string(length) + " bytes", [&](Tune& t) {
      t.headerLength = length;
      t.headerPadding = length > 6 ? length - 6 : 0;
    });
    add("a header that says " + std::to_string(length) + " bytes", [&](Tune& t) { t.headerLength = length; });
  }
  for (const std::int64_t count : {0, 1, 6, 8, 16, 64, 65, 100, 128, 129, 255, 256, 65535}) {
    add(std::to_string(count) + " tracks announced", [&](Tune& t) { t.declaredTracks = count; });
  }
  for (const std::size_t count : {64, 65, 100, 128, 129}) {
    add(std::to_string(count) + " tracks", [&](Tune& t) {
      while (t.tracks.size() < count) t.tracks.push_back(whole.tracks[t.tracks.size() % whole.tracks.size()]);
    });
  }
  for (const std::size_t track : {std::size_t{0}, std::size_t{1}, whole.tracks.size() - 1}) {
    for (const std::int64_t slip : {-4, -1, 1, 4, 0x7FFFFFFF}) {
      add("track " + std::to_string(track) + " length off by " + std::to_string(slip), [&](Tune& t) {
        t.lengthSlips.assign(t.tracks.size(), 0);
        t.lengthSlips[track] = slip;
      });
    }
  }
  add("the status left out after each meta event", [](Tune& t) {
    for (auto& track : t.tracks) {
      for (std::size_t e = 1; e < track.size(); ++e) {
        if (track[e - 1].IsMeta() && track[e].IsChannelMessage())
          track[e].bytes.erase(track[e].bytes.begin());
      }
    }
  });

  // System exclusive: whole, holding status bytes, unclosed, escaped, running past its track.
  const std::vector<std::pair<std::string, Bytes>> exclusive = {
      {"an empty system exclusive", {0xF0, 0x00}},
      {"a system exclusive", {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
      {"an unclosed system exclusive", {0xF0, 0x03, 0x7E, 0x7F, 0x09}},
      {"a system exclusive holding a note", {0xF0, 0x04, 0x90, 0x3C, 0x64, 0xF7}},
      {"a long system exclusive",
       [] {
         Bytes b{0xF0, 0x7F};
         b.insert(b.end(), 0x7E, 0x10);
         b.push_back(0xF7);
         return b;
       }()},
      {"a system exclusive past its track", {0xF0, 0x7F, 0x01}},
      {"an escape holding a note", {0xF7, 0x03, 0x90, 0x3C, 0x64}},
      {"an escape of data", {0xF7, 0x02, 0x01, 0x02}},
      {"an empty escape", {0xF7, 0x00}},
      {"an escape holding a system exclusive", {0xF7, 0x03, 0xF0, 0x7E, 0xF7}},
  };
  for (const auto& [what, bytes] : exclusive) {
    add(what, [&](Tune& t) { t.tracks[1].insert(t.tracks[1].begin(), Piece{0, bytes}); });
  }

  // Floods at one tick, too many events in all, too many notes held.
  for (const int count : {999, 1001, 5000, 100000, 300000}) {
    add(std::to_string(count) + " controllers at once", [&](Tune& t) {
      t.tracks[1].insert(t.tracks[1].begin(), static_cast<std::size_t>(count), Piece{0, {0xB1, 7, 100}});
    });
  }
  for (const int copies : {10, 60}) {
    add("every track " + std::to_string(copies) + " times over", [&](Tune& t) {
      for (auto& track : t.tracks) {
        std::vector<Piece> body(track.begin(), track.end() - 1);
        for (int c = 1; c < copies; ++c) track.insert(track.end() - 1, body.begin(), body.end());
      }
    });
  }
  for (const int notes : {96, 97, 2048}) {
    add(std::to_string(notes) + " notes held", [&](Tune& t) {
      std::vector<Piece> chord;
      for (int n = 0; n < notes; ++n) {
        chord.push_back(
            {0, {static_cast<std::uint8_t>(0x90 | (n / 128)), static_cast<std::uint8_t>(n % 128), 90}});
      }
      t.tracks[1].insert(t.tracks[1].begin(), chord.begin(), chord.end());
    });
  }

  // Tempos and times out of the ordinary.
  for (const std::uint32_t tempo : {0u, 1u, 100u, 0x7FFFFFu, 0xFFFFFFu}) {
    add("a tempo of " + std::to_string(tempo), [&](Tune& t) {
      for (auto& track : t.tracks) {
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
  for (std::size_t track = 0; track < whole.tracks.size(); ++track) {
    add("the longest delta in track " + std::to_string(track),
        [&](Tune& t) { t.tracks[track].back().delta = 0x0FFFFFFF; });
  }
  add("a division of one tick", [](Tune& t) { t.division = 1; });
  add("a division of 32767 ticks", [](Tune& t) { t.division = 0x7FFF; });
  add("format 0 of seven tracks", [](Tune& t) { t.format = 0; });
  add("format 2", [](Tune& t) { t.format = 2; });

  // Bytes changed at random, and the file cut short.
  std::mt19937 random(20261208);
  const Bytes plain = Write(whole);
  for (int i = 0; i < 60; ++i) {
    Bytes file = plain;
    const int changes = 1 + i % 3;
    for (int c = 0; c < changes; ++c) {
      file[std::uniform_int_distribution<std::size_t>(0, file.size() - 1)(random)] =
          static_cast<std::uint8_t>(random());
    }
    out.push_back({"random bytes " + std::to_string(i), std::move(file)});
  }
  for (int i = 1; i <= 20; ++i)
    out.push_back({"cut to " + std::to_string(i * 5) + "%",
                   Bytes(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(plain.size() * i / 21))});
  return out;
}

class TuneMutants : public testing::SdlSoundListening {};

TEST_F(TuneMutants, NoneHoldsTheGame) {
  const auto original = ReadMediaFile(std::string(TALVESSA_SOURCE_DIR) + "/assets/da/bg1.mid");
  ASSERT_TRUE(original.has_value());
  const std::vector<Mutant> mutants = Mutants(*original);
  ASSERT_TRUE(IsPlayableTune(mutants.front().file));

  ASSERT_NO_FATAL_FAILURE(Open());
  CallTimes closing;
  int refused = 0;
  std::string worstMutant;
  double worstMs = 0;
  double worstOpenMs = 0;
  std::size_t lines = 0;
  {
    testing::StderrLines stderrLines(scratch_.path() / "stderr.txt");
    for (std::size_t i = 0; i < mutants.size(); ++i) {
      const std::string path = WriteMedia("bg" + std::to_string(i) + ".mid", mutants[i].file);
      testing::TuneCallTimes mutant;
      // A tune taken is played over a few frames, long enough for its first notes and the player's
      // first passes over a file it cannot read.
      if (!PlayTuneAsTheGameDoes(audio(), input(), path, 6, mutant)) ++refused;
      if (mutant.others.worstMs() > worstMs) {
        worstMs = mutant.others.worstMs();
        worstMutant = mutants[i].what;
      }
      worstOpenMs = std::max(worstOpenMs, mutant.open.worstMs());
      EXPECT_LT(mutant.open.worstMs(), testing::kOpenHeldMs) << mutants[i].what;
      EXPECT_LT(mutant.others.worstMs(), testing::kHeldMs) << mutants[i].what;
    }
    lines = stderrLines.Count();
  }
  closing.Time([&] { platform_.reset(); });
  std::printf(
      "mutants played: %zu; refused by the check: %d; worst call after opening: %.1f ms (%s); worst "
      "opening: %.1f ms; closing: %.1f ms; stderr lines: %zu\n",
      mutants.size(), refused, worstMs, worstMutant.c_str(), worstOpenMs, closing.worstMs(), lines);
  RecordProperty("mutants", static_cast<int>(mutants.size()));
  RecordProperty("refused", refused);
  RecordProperty("worst_call_ms", static_cast<int>(worstMs));
  RecordProperty("worst_open_ms", static_cast<int>(worstOpenMs));
  EXPECT_LT(closing.worstMs(), 3000.0) << "closing";
  EXPECT_LE(lines, 30u) << "the synthesiser flooded stderr";
}

}  // namespace
}  // namespace talvessa
