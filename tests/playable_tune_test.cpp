// The game's check of its tune before the mixer sees it: the rules the file format and the player set,
// beyond the ones the sound media tests walk through.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/media_checks.h"
#include "support/media_files.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::kTicksPerSecond;
using testing::TuneFile;
using testing::TuneTrack;

constexpr std::uint32_t kTenth = kTicksPerSecond / 10;

// A note struck at once and held for `ticks`, in a track that ends with it.
TuneTrack Note(std::uint32_t ticks) {
  TuneTrack track;
  track.At(0, {0x90, 60, 100}).At(ticks, {0x80, 60, 0}).End();
  return track;
}

// `file` with its header made longer (`extra` > 0) or shorter by `extra` bytes, as its length says.
Bytes Header(Bytes file, int extra) {
  file[7] = static_cast<std::uint8_t>(6 + extra);
  if (extra > 0) file.insert(file.begin() + 14, static_cast<std::size_t>(extra), 0);
  return file;
}

TEST(PlayableTune, FollowsTheFileFormatAndThePlayer) {
  TuneTrack trailing = Note(kTenth);
  trailing.Raw({0x00, 0x90, 60, 100, 0xF2});  // after the end: an event, then a byte that begins none
  TuneTrack endWithData;
  endWithData.At(0, {0x90, 60, 100}).At(kTenth, {0x80, 60, 0}).At(0, {0xFF, 0x2F, 0x01, 0x00});
  TuneTrack acrossSysex;
  acrossSysex.At(0, {0x90, 60, 100}).At(0, {0xF0, 0x01, 0xF7}).At(kTenth, {60, 0}).End();
  TuneTrack shortTempo;
  shortTempo.At(0, {0xFF, 0x51, 0x02, 0x00, 0x00}).End();
  TuneTrack slowTempo;
  slowTempo.At(0, {0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}).End();  // 1000000 us a quarter note
  TuneTrack longConductor;
  longConductor.At(0, {0xFF, 0x03, 0x01, 'c'}).End(kTicksPerSecond);
  TuneTrack oneDataByte;
  oneDataByte.At(0, {0xC0, 5}).At(0, {0xD0, 64}).At(0, {0x90, 60, 100}).At(kTenth, {0x80, 60, 0}).End();
  TuneTrack endless;  // longer than 2^32 ticks: each delta at its four-byte most
  endless.At(0, {0x90, 60, 100});
  for (int i = 0; i < 20; ++i) endless.At(0x0FFFFFFF, {0xFF, 0x01, 0x01, 'x'});
  endless.End();
  Bytes afterLastTrack = TuneFile({Note(kTenth)});
  afterLastTrack.insert(afterLastTrack.end(), {'M', 'T', 'r', 'k', 0, 0});
  Bytes format3 = TuneFile({Note(kTenth)});
  format3[9] = 3;

  struct Case {
    const char* what;
    Bytes file;
    bool playable;
  };
  const Case cases[] = {
      {"what follows end-of-track is never played", TuneFile({trailing}), true},
      {"end-of-track carrying data", TuneFile({endWithData}), false},
      {"bytes after the last track", afterLastTrack, true},
      {"system exclusive cancels the running status", TuneFile({acrossSysex}), false},
      {"a header longer than six bytes", Header(TuneFile({Note(kTenth)}), 4), false},
      {"a header shorter than six bytes", Header(TuneFile({Note(kTenth)}), -2), false},
      {"a tempo event of other than three bytes", TuneFile({shortTempo, Note(kTenth)}), false},
      {"a slower tempo does not lengthen a tune", TuneFile({slowTempo, Note(kTenth - 1)}), false},
      {"the longest track sets the length", TuneFile({longConductor, Note(0)}), true},
      {"program and pressure take one data byte", TuneFile({oneDataByte}), true},
      {"ticks beyond what the player counts, 31 bits", TuneFile({endless}), false},
      {"format 3", format3, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlayableTune(c.file), c.playable) << c.what;
}

// A track of `count` controller messages, all at one tick, ending a tenth of a second later.
TuneTrack Controllers(int count) {
  TuneTrack track;
  for (int i = 0; i < count; ++i) track.At(0, {0xB0, 7, 100});
  return track.End(kTenth);
}

// `count` notes held together from the start, over the channels, for a tenth of a second.
TuneTrack Chord(int count) {
  TuneTrack track;
  for (int i = 0; i < count; ++i) {
    track.At(0, {static_cast<std::uint8_t>(0x90 | i / 128), static_cast<std::uint8_t>(i % 128), 100});
  }
  track.At(kTenth, {0xB0, 123, 0});  // all notes off: the notes are still held as far as the file says
  return track.End();
}

// `count` notes one after the other, each ending as the next is struck.
TuneTrack Melody(int count) {
  TuneTrack track;
  track.At(0, {0x90, 60, 100});
  for (int i = 1; i < count; ++i) {
    track.At(kTenth, {0x80, static_cast<std::uint8_t>(60 + (i - 1) % 12), 0})
        .At(0, {0x90, static_cast<std::uint8_t>(60 + i % 12), 100});
  }
  return track.End(kTenth);
}

// What the player pays for a tune is bounded, generously for a real tune: the game's own is far inside.
TEST(PlayableTune, CostsThePlayerNoMoreThanATuneMay) {
  std::vector<TuneTrack> many(64, Controllers(1));
  many.front() = Note(kTenth);
  std::vector<TuneTrack> tooMany = many;
  tooMany.push_back(Controllers(1));
  struct Case {
    const char* what;
    Bytes file;
    bool playable;
  };
  const Case cases[] = {
      {"64 tracks", TuneFile(many), true},
      {"65 tracks", TuneFile(tooMany), false},
      {"50,000 notes in turn", TuneFile({Melody(50000)}), true},
      {"over 100,000 events", TuneFile({Melody(50001)}), false},
      {"1,000 events at one tick over two tracks",
       TuneFile({Note(kTenth), Controllers(500), Controllers(499)}), true},
      {"over 1,000 events at one tick over two tracks",
       TuneFile({Note(kTenth), Controllers(500), Controllers(500)}), false},
      {"96 notes held at once", TuneFile({Chord(96)}), true},
      {"97 notes held at once", TuneFile({Chord(97)}), false},
      {"every note on every channel", TuneFile({Chord(16 * 128)}), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlayableTune(c.file), c.playable) << c.what;
}

}  // namespace
}  // namespace talvessa
