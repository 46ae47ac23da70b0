// The game's check of its tune before the mixer sees it: the rules the file format and the player set,
// beyond the ones the sound media tests walk through.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sdl/sdl_sound_media.h"
#include "sound/media_files.h"

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
      {"end-of-track carrying data", TuneFile({endWithData}), true},
      {"bytes after the last track", afterLastTrack, true},
      {"system exclusive cancels the running status", TuneFile({acrossSysex}), false},
      {"a header longer than six bytes is skipped over", Header(TuneFile({Note(kTenth)}), 4), true},
      {"a header shorter than six bytes", Header(TuneFile({Note(kTenth)}), -2), false},
      {"a tempo event of other than three bytes sets no tempo", TuneFile({shortTempo, Note(kTenth)}), true},
      {"a slower tempo does not lengthen a tune", TuneFile({slowTempo, Note(kTenth - 1)}), false},
      {"the longest track sets the length", TuneFile({longConductor, Note(0)}), true},
      {"program and pressure take one data byte", TuneFile({oneDataByte}), true},
      {"ticks beyond 32 bits", TuneFile({endless}), true},
      {"format 3", format3, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlayableTune(c.file), c.playable) << c.what;
}

}  // namespace
}  // namespace talvessa
