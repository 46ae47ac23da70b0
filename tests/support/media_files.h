// Media made by hand for the sound and media checks: WAV tones and standard MIDI files, whole or broken.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace talvessa::testing {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSampleRate = 44100;

inline void PutLittle(Bytes& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutBig(Bytes& out, std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
// A MIDI file's number of variable length: seven bits a byte, the last without its top bit.
inline void PutNumber(Bytes& out, std::uint32_t value) {
  Bytes number{static_cast<std::uint8_t>(value & 0x7Fu)};
  for (value >>= 7; value != 0; value >>= 7) number.insert(number.begin(), (value & 0x7Fu) | 0x80u);
  out.insert(out.end(), number.begin(), number.end());
}

// One chunk of a RIFF file: its four-letter name and what it holds.
struct RiffChunk {
  std::string id;
  Bytes body;
};

// A format chunk: `tag` 1 is PCM, 2 ADPCM, 3 floating point; `block` the bytes of a block (by default
// of a frame of samples). Its 16-bit fields are put two at a time.
inline RiffChunk WaveFormat(std::uint32_t tag, std::uint32_t channels, std::uint32_t rate, std::uint32_t bits,
                            int block = -1) {
  Bytes body;
  PutLittle(body, tag | channels << 16, 4);
  PutLittle(body, rate, 4);
  PutLittle(body, rate * channels * bits / 8, 4);
  PutLittle(body, (block >= 0 ? static_cast<std::uint32_t>(block) : channels * bits / 8) | bits << 16, 4);
  return {"fmt ", body};
}
// The extensible form of a format chunk, as sox writes it: the format's tag stands in a GUID, whose
// other bytes are fixed (`guidByte` changes one of them).
inline RiffChunk ExtensibleFormat(std::uint32_t tag, std::uint32_t channels, std::uint32_t rate,
                                  std::uint32_t bits, std::uint8_t guidByte = 0x10) {
  RiffChunk format = WaveFormat(0xFFFE, channels, rate, bits);
  PutLittle(format.body, 22 | bits << 16, 4);  // the extension's size, and the valid bits
  PutLittle(format.body, 0, 4);                // no channel mask
  PutLittle(format.body, tag, 4);
  const std::uint8_t rest[] = {0, 0, guidByte, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  format.body.insert(format.body.end(), std::begin(rest), std::end(rest));
  return format;
}
// `file` with the size of its RIFF and of its data chunk (the first) set to `size`, as a WAV written
// into a pipe has them, its length unknown when it was begun.
inline Bytes WithSizes(Bytes file, std::uint32_t size) {
  const auto put = [&](std::size_t at) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(size >> (8 * i));
  };
  put(4);
  put(std::string(file.begin(), file.end()).find("data") + 4);
  return file;
}
// 16-bit PCM at the mixer's own rate.
inline RiffChunk PcmFormat(std::uint32_t channels) { return WaveFormat(1, channels, kSampleRate, 16); }

// A sine tone; `amplitude` is a share of full scale.
inline RiffChunk ToneData(double seconds, double amplitude, double hz, int channels) {
  Bytes body;
  for (long i = 0; i < std::lround(seconds * kSampleRate); ++i) {
    const double value = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * i / kSampleRate);
    for (int c = 0; c < channels; ++c) PutLittle(body, static_cast<std::uint16_t>(std::lround(value)), 2);
  }
  return {"data", body};
}

// A RIFF WAVE of the given chunks in that order, each padded to an even length.
inline Bytes WaveFile(const std::vector<RiffChunk>& chunks) {
  Bytes inner;
  PutText(inner, "WAVE");
  for (const RiffChunk& chunk : chunks) {
    PutText(inner, chunk.id);
    PutLittle(inner, static_cast<std::uint32_t>(chunk.body.size()), 4);
    inner.insert(inner.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.body.size() % 2 != 0) inner.push_back(0);
  }
  Bytes file;
  PutText(file, "RIFF");
  PutLittle(file, static_cast<std::uint32_t>(inner.size()), 4);
  file.insert(file.end(), inner.begin(), inner.end());
  return file;
}

inline Bytes ToneWave(double seconds, double amplitude, double hz = 440.0, int channels = 1) {
  return WaveFile({PcmFormat(channels), ToneData(seconds, amplitude, hz, channels)});
}

// Ticks per quarter note of the tunes below; at the default tempo (120 quarter notes a minute) a second
// is 960 ticks.
constexpr std::uint32_t kDivision = 480;
constexpr std::uint32_t kTicksPerSecond = 960;

// The events of one MIDI track, each after its delta time in ticks.
class TuneTrack {
 public:
  explicit TuneTrack(Bytes bytes = {}) : bytes_(std::move(bytes)) {}
  TuneTrack& At(std::uint32_t delta, std::initializer_list<std::uint8_t> event) {
    PutNumber(bytes_, delta);
    return Raw(event);
  }
  // Bytes as they stand, for tracks broken on purpose.
  TuneTrack& Raw(std::initializer_list<std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  TuneTrack& End(std::uint32_t delta = 0) { return At(delta, {0xFF, 0x2F, 0x00}); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

struct TuneHeader {
  std::uint32_t format = 1;
  std::uint32_t division = kDivision;
  int tracks = -1;  // as many as are given, unless set
};

inline Bytes TuneFile(const std::vector<TuneTrack>& tracks, TuneHeader header = {}) {
  Bytes file;
  PutText(file, "MThd");
  PutBig(file, 6, 4);
  PutBig(file, header.format, 2);
  PutBig(file,
         static_cast<std::uint32_t>(header.tracks < 0 ? static_cast<int>(tracks.size()) : header.tracks), 2);
  PutBig(file, header.division, 2);
  for (const TuneTrack& track : tracks) {
    PutText(file, "MTrk");
    PutBig(file, static_cast<std::uint32_t>(track.bytes().size()), 4);
    file.insert(file.end(), track.bytes().begin(), track.bytes().end());
  }
  return file;
}

// Middle C on the piano, held `noteSeconds`, in a tune `lengthSeconds` long.
inline Bytes OneNoteTune(double noteSeconds, double lengthSeconds) {
  const auto note = static_cast<std::uint32_t>(std::lround(noteSeconds * kTicksPerSecond));
  const auto length = static_cast<std::uint32_t>(std::lround(lengthSeconds * kTicksPerSecond));
  TuneTrack track;
  track.At(0, {0xC0, 0}).At(0, {0x90, 60, 100}).At(note, {0x80, 60, 0}).End(length - note);
  return TuneFile({track}, {.format = 0});
}

}  // namespace talvessa::testing
