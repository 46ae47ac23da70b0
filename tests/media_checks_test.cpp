// What the sound backends let through to the mixer: whole WAV effects and tunes worth playing, read
// only from plain files.
#include "formats/media_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <span>
#include <string>

#include "support/media_files.h"
#include "support/scratch_folder.h"

namespace talvessa {
namespace {

using testing::Bytes;
using testing::ExtensibleFormat;
using testing::kTicksPerSecond;
using testing::PcmFormat;
using testing::RiffChunk;
using testing::ToneData;
using testing::ToneWave;
using testing::TuneFile;
using testing::TuneTrack;
using testing::WaveFormat;
using testing::WithSizes;

std::span<const std::uint8_t> Prefix(const Bytes& bytes, std::size_t size) { return {bytes.data(), size}; }
bool IsWholeWave(std::span<const std::uint8_t> bytes) { return WholeWave(bytes).has_value(); }

// A note played for `ticks` in a tune that ends with it.
TuneTrack NoteFor(std::uint32_t ticks) {
  TuneTrack track;
  track.At(0, {0x90, 60, 100}).At(ticks, {0x80, 60, 0}).End();
  return track;
}

TEST(SoundMedia, AWholeWaveIsTakenAndEveryCutOffOneRefused) {
  for (int channels : {1, 2}) {
    const Bytes wave = ToneWave(0.005, 0.5, 440.0, channels);
    EXPECT_TRUE(IsWholeWave(wave)) << channels;
    for (std::size_t size = 0; size < wave.size(); ++size) {
      EXPECT_FALSE(IsWholeWave(Prefix(wave, size))) << channels << " channels cut to " << size << " bytes";
    }
  }
}

TEST(SoundMedia, WaveChunksAreWalkedInOrder) {
  const RiffChunk format = PcmFormat(1);
  const RiffChunk tone = ToneData(0.01, 0.5, 440.0, 1);
  // Chunks of other kinds, odd-sized ones with their pad byte, are stepped over.
  EXPECT_TRUE(IsWholeWave(testing::WaveFile({{"LIST", {1, 2, 3}}, format, {"fact", {4, 0, 0, 0}}, tone})));
  EXPECT_FALSE(IsWholeWave(testing::WaveFile({tone, format}))) << "sound before its format";
  EXPECT_FALSE(IsWholeWave(testing::WaveFile({format, {"data", {}}}))) << "no sound at all";
  EXPECT_FALSE(IsWholeWave(testing::WaveFile({format}))) << "no sound chunk";
  EXPECT_FALSE(IsWholeWave(testing::WaveFile({{"fmt ", Bytes(8, 1)}, tone}))) << "format cut short";

  Bytes wrongKind = testing::WaveFile({format, tone});
  std::copy_n("AVI ", 4, wrongKind.begin() + 8);
  EXPECT_FALSE(IsWholeWave(wrongKind));
  Bytes bigEndian = testing::WaveFile({format, tone});
  std::copy_n("RIFX", 4, bigEndian.begin());
  EXPECT_FALSE(IsWholeWave(bigEndian));
}

// An effect is judged by what it becomes at the mix's format (44,100 stereo 16-bit frames a second),
// as it is converted whole when it loads: at most 16 MB, some 95 s, whatever the file's size.
TEST(SoundMedia, AnEffectCostsTheMixSixteenMegabytesAtMost) {
  const auto wave = [](RiffChunk format, std::size_t dataBytes) {
    return testing::WaveFile({std::move(format), {"data", Bytes(dataBytes, 0x80)}});
  };
  struct Case {
    const char* what;
    Bytes file;
    bool taken;
  };
  // 760,871 frames at 8 kHz are 4,194,302 frames of the mix, 2 short of 16 MB.
  const Case cases[] = {
      {"95 s at 8 kHz, 8-bit mono", wave(WaveFormat(1, 1, 8000, 8), 760871), true},
      {"a frame more", wave(WaveFormat(1, 1, 8000, 8), 760872), false},
      {"a 16 MB file at 8 kHz, 8-bit mono: over half an hour", wave(WaveFormat(1, 1, 8000, 8), 16'000'000),
       false},
      {"6.5 s of 16-bit stereo", wave(WaveFormat(1, 2, 44100, 16), 1'146'600), true},
      {"5 s of 32-bit float", wave(WaveFormat(3, 1, 48000, 32), 5 * 48000 * 4), true},
      {"no channels", wave(WaveFormat(1, 0, 44100, 16), 1000), false},
      {"nine channels", wave(WaveFormat(1, 9, 44100, 16), 1000), false},
      {"no bits a sample", wave(WaveFormat(1, 1, 44100, 0), 1000), false},
      {"a rate of 0", wave(WaveFormat(1, 1, 0, 16), 1000), false},
      {"a rate of 1 Hz", wave(WaveFormat(1, 1, 1, 16), 2), false},
      {"a rate of 1 MHz", wave(WaveFormat(1, 1, 1'000'000, 16), 1000), false},
      {"blocks of no bytes", wave(WaveFormat(1, 1, 44100, 16, 0), 1000), false},
      // SDL counts frames in blocks, even in blocks smaller than a frame: 5 MB make 5 million frames here.
      {"blocks of a byte: 28 s of 32-bit stereo, 113 s as SDL counts",
       wave(WaveFormat(1, 2, 44100, 32, 1), 5'000'000), false},
      // Compressed sound is counted at 4 bits a sample, whatever the file says: the least there is.
      {"ADPCM, 95 s at 4 bits", wave(WaveFormat(2, 1, 22050, 4, 256), 95 * 22050 / 2), true},
      {"ADPCM, 100 s at 4 bits though it says 16", wave(WaveFormat(2, 1, 22050, 16, 256), 100 * 22050 / 2),
       false},
      {"MPEG sound, which SDL does not decode", wave(WaveFormat(0x55, 1, 22050, 4, 256), 1000), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWholeWave(c.file), c.taken) << c.what;
}

// As SDL's loader reads a WAV: the first format chunk, the first data chunk, chunks looked for within
// the RIFF's size, and a data size beyond any effect's, as a WAV written into a pipe has, to the end of
// the file.
TEST(SoundMedia, AWaveIsReadAsSdlReadsIt) {
  const RiffChunk tone = ToneData(0.5, 0.5, 440.0, 2);
  const RiffChunk megabyte{"data", Bytes(1'000'000, 0xC0)};
  Bytes noRiffSize = testing::WaveFile({PcmFormat(2), tone});
  std::fill_n(noRiffSize.begin() + 4, 4, 0);
  Bytes shortRiff = testing::WaveFile({PcmFormat(2), tone});
  shortRiff[4] = 4 + 8 + 16;  // the form and the format chunk
  std::fill_n(shortRiff.begin() + 5, 3, 0);
  const Bytes extensible = ExtensibleFormat(1, 2, 44100, 16).body;
  struct Case {
    const char* what;
    Bytes file;
    bool taken;
  };
  const Case cases[] = {
      // 131 s at the first format, though 0.9 s at the second.
      {"8-bit mono at 8 kHz, then 64-bit 8 channels at 192 kHz",
       testing::WaveFile({WaveFormat(1, 1, 8000, 8), WaveFormat(1, 8, 192000, 64), megabyte}), false},
      {"16-bit stereo at 44.1 kHz, then 8-bit mono at 8 kHz",
       testing::WaveFile({PcmFormat(2), WaveFormat(1, 1, 8000, 8), megabyte}), true},
      {"written into a pipe by sox",
       WithSizes(testing::WaveFile({ExtensibleFormat(1, 2, 44100, 16), tone}), 0x7ffff000), true},
      {"all sizes at their largest", WithSizes(testing::WaveFile({PcmFormat(2), tone}), 0xFFFFFFFF), true},
      {"a data size of 1 MB with 0.5 s there: cut off",
       WithSizes(testing::WaveFile({PcmFormat(2), tone}), 1'000'000), false},
      {"no RIFF size: looked for to the end", noRiffSize, true},
      {"a RIFF size that ends before the sound", shortRiff, false},
      {"a format of another GUID", testing::WaveFile({ExtensibleFormat(1, 2, 44100, 16, 0x11), tone}), false},
      {"an extensible format cut short",
       testing::WaveFile({{"fmt ", Bytes(extensible.begin(), extensible.begin() + 30)}, tone}), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWholeWave(c.file), c.taken) << c.what;

  // The sound of a pipe's WAV is what there is of it.
  const Bytes piped = WithSizes(testing::WaveFile({PcmFormat(2), tone}), 0x7ffff000);
  const auto sound = WholeWave(piped);
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(sound->bytes, tone.body.size());
  EXPECT_EQ(sound->sizeField, piped.size() - tone.body.size() - 4);
}

TEST(SoundMedia, NoiseIsNeitherWaveNorTune) {
  std::mt19937 random(20240611);
  for (int i = 0; i < 500; ++i) {
    Bytes noise(std::uniform_int_distribution<std::size_t>(0, 4000)(random));
    for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random());
    EXPECT_FALSE(IsWholeWave(noise)) << i;
    EXPECT_FALSE(IsPlayableTune(noise)) << i;
    // The right names in front of noise do not make it a file either.
    Bytes named = testing::WaveFile({});
    named.insert(named.end(), noise.begin(), noise.end());
    EXPECT_FALSE(IsWholeWave(named)) << i;
    named = TuneFile({}, {.tracks = 1});
    testing::PutText(named, "MTrk");
    testing::PutBig(named, static_cast<std::uint32_t>(noise.size()), 4);
    named.insert(named.end(), noise.begin(), noise.end());
    EXPECT_FALSE(IsPlayableTune(named)) << i;
  }
}

TEST(SoundMedia, APlayableTuneIsTakenAndEveryCutOffOneRefused) {
  const Bytes tune = testing::OneNoteTune(0.3, 0.5);
  EXPECT_TRUE(IsPlayableTune(tune));
  for (std::size_t size = 0; size < tune.size(); ++size) {
    EXPECT_FALSE(IsPlayableTune(Prefix(tune, size))) << "cut to " << size << " bytes";
  }
}

TEST(SoundMedia, ATuneMustStrikeANoteAndLastATenthOfASecond) {
  const std::uint32_t tenth = kTicksPerSecond / 10;
  EXPECT_TRUE(IsPlayableTune(TuneFile({NoteFor(tenth)})));
  EXPECT_FALSE(IsPlayableTune(TuneFile({NoteFor(tenth - 1)})));
  // The tune that once hung the mixer: a note struck and ended in no time.
  EXPECT_FALSE(IsPlayableTune(TuneFile({NoteFor(0)})));

  TuneTrack rest;
  rest.At(0, {0xC0, 0}).End(kTicksPerSecond);
  EXPECT_FALSE(IsPlayableTune(TuneFile({rest}))) << "a second of nothing";
  TuneTrack silentNote;
  silentNote.At(0, {0x90, 60, 0}).End(kTicksPerSecond);
  EXPECT_FALSE(IsPlayableTune(TuneFile({silentNote}))) << "a note struck at no strength is a release";

  // At twice the pace the same ticks last half as long: the fastest tempo anywhere counts.
  TuneTrack tempo;
  tempo.At(0, {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}).End();  // 250000 us a quarter note
  EXPECT_FALSE(IsPlayableTune(TuneFile({tempo, NoteFor(tenth)})));
  EXPECT_TRUE(IsPlayableTune(TuneFile({tempo, NoteFor(2 * tenth)})));
  TuneTrack stopped;
  stopped.At(0, {0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}).End();
  EXPECT_FALSE(IsPlayableTune(TuneFile({stopped, NoteFor(2 * tenth)}))) << "a tempo of zero";
}

TEST(SoundMedia, TuneHeaderAndTrackCountMustAgree) {
  const TuneTrack note = NoteFor(kTicksPerSecond);
  TuneTrack conductor;
  conductor.At(0, {0xFF, 0x03, 0x04, 'b', 'g', 'm', '1'}).End();
  EXPECT_TRUE(IsPlayableTune(TuneFile({conductor, note})));
  EXPECT_TRUE(IsPlayableTune(TuneFile({note}, {.format = 0})));
  EXPECT_FALSE(IsPlayableTune(TuneFile({conductor, note}, {.format = 0}))) << "format 0 holds one track";
  EXPECT_FALSE(IsPlayableTune(TuneFile({conductor, note}, {.format = 2})));
  EXPECT_FALSE(IsPlayableTune(TuneFile({note}, {.tracks = 2}))) << "a track missing";
  EXPECT_FALSE(IsPlayableTune(TuneFile({}, {.tracks = 0})));
  EXPECT_FALSE(IsPlayableTune(TuneFile({note}, {.division = 0})));
  EXPECT_FALSE(IsPlayableTune(TuneFile({note}, {.division = 0xE728}))) << "25 frames of 40 ticks, SMPTE";

  Bytes renamed = TuneFile({note});
  std::copy_n("MTrx", 4, renamed.begin() + 14);
  EXPECT_FALSE(IsPlayableTune(renamed));
}

TEST(SoundMedia, TrackEventsAreReadAsTheFileFormatSays) {
  const std::uint32_t second = kTicksPerSecond;
  // Notes that leave out the repeated status byte, a system-exclusive message and a long delta.
  TuneTrack running;
  running.At(0, {0x90, 60, 100}).At(second, {60, 0}).At(0, {64, 100}).At(second, {64, 0}).End();
  EXPECT_TRUE(IsPlayableTune(TuneFile({running})));
  TuneTrack sysex;
  sysex.At(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
      .At(0, {0x90, 60, 100})
      .At(0x0FFFFFFF, {0x80, 60, 0});
  EXPECT_TRUE(IsPlayableTune(TuneFile({sysex.End()})));

  TuneTrack noStatus;
  noStatus.At(0, {60, 100}).End(second);
  EXPECT_FALSE(IsPlayableTune(TuneFile({noStatus}))) << "data before any status";
  TuneTrack acrossMeta;
  acrossMeta.At(0, {0x90, 60, 100}).At(0, {0xFF, 0x01, 0x01, 'a'}).At(second, {60, 0}).End();
  EXPECT_FALSE(IsPlayableTune(TuneFile({acrossMeta}))) << "a meta event ends the running status";
  TuneTrack highData;
  highData.At(0, {0x90, 60, 0x85}).End(second);
  EXPECT_FALSE(IsPlayableTune(TuneFile({highData})));
  TuneTrack systemCommon;
  systemCommon.At(0, {0x90, 60, 100}).At(0, {0xF2, 0, 0}).End(second);
  EXPECT_FALSE(IsPlayableTune(TuneFile({systemCommon})));
  TuneTrack endless;
  endless.At(0, {0x90, 60, 100}).At(second, {0x80, 60, 0});
  EXPECT_FALSE(IsPlayableTune(TuneFile({endless}))) << "no end-of-track event";
  TuneTrack fiveByteDelta;
  fiveByteDelta.Raw({0x81, 0x80, 0x80, 0x80, 0x00}).Raw({0x90, 60, 100}).End(second);
  EXPECT_FALSE(IsPlayableTune(TuneFile({fiveByteDelta})));
  TuneTrack longMeta;
  longMeta.At(0, {0x90, 60, 100}).Raw({0x00, 0xFF, 0x01, 0x7F, 'a'});
  EXPECT_FALSE(IsPlayableTune(TuneFile({longMeta}))) << "a text running past its track";
}

TEST(SoundMedia, OnlyPlainFilesAreRead) {
  const testing::ScratchFolder scratch;
  const Bytes tone = ToneWave(0.01, 0.5);
  const std::string plain = scratch.Write("plain.wav", tone);
  EXPECT_EQ(ReadMediaFile(plain), tone);
  EXPECT_EQ(ReadMediaFile(scratch.Write("empty.wav", {})), Bytes{});

  EXPECT_FALSE(ReadMediaFile((scratch.path() / "missing.wav").string()));
  std::filesystem::create_directory(scratch.path() / "folder.wav");
  EXPECT_FALSE(ReadMediaFile((scratch.path() / "folder.wav").string()));
  // Opening a pipe nobody writes to would wait for ever.
  const std::string pipe = (scratch.path() / "pipe.wav").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(ReadMediaFile(pipe));

  const std::string huge = scratch.Write("huge.wav", tone);
  std::filesystem::resize_file(huge, std::uintmax_t{17} << 20);  // sparse: costs no disk
  EXPECT_FALSE(ReadMediaFile(huge));
  std::filesystem::resize_file(huge, std::uintmax_t{15} << 20);
  EXPECT_TRUE(ReadMediaFile(huge));
}

TEST(SoundMedia, TheGamesOwnEffectsAndTuneAreAllTaken) {
  const std::filesystem::path da = std::filesystem::path(TALVESSA_SOURCE_DIR) / "assets/da";
  for (int n = 0; n <= 8; ++n) {
    const std::string path = (da / ("se" + std::to_string(n) + ".wav")).string();
    const auto bytes = ReadMediaFile(path);
    ASSERT_TRUE(bytes.has_value()) << path;
    EXPECT_TRUE(IsWholeWave(*bytes)) << path;
  }
  const auto tune = ReadMediaFile((da / "bg1.mid").string());
  ASSERT_TRUE(tune.has_value());
  EXPECT_TRUE(IsPlayableTune(*tune));
}

}  // namespace
}  // namespace talvessa
