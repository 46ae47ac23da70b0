// Reading a file's bytes front to back: chunk names, big- and little-endian numbers, spans of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace talvessa {

// Reads forward through a span of bytes. A read past the end fails, and so does every read after it,
// giving zeros and empty spans, so that a parse can check once after a group of reads.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes), end_(bytes.size()) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ == end_; }
  // Where the next read starts, counted from the start of the whole span; after a failure, where the
  // read that failed started.
  std::size_t Position() const { return pos_; }
  std::size_t Left() const { return end_ - pos_; }
  // The next byte without taking it; 0 at the end or after a failure.
  std::uint8_t Peek() const { return ok_ && !AtEnd() ? bytes_[pos_] : 0; }

  std::span<const std::uint8_t> Take(std::size_t count);
  std::uint8_t Byte();
  // A chunk name of four letters.
  std::string_view Id();
  std::uint32_t BigEndian(std::size_t count);
  std::uint32_t LittleEndian(std::size_t count);
  // A reader of the next `count` bytes alone (its positions counted as here), which this one steps over.
  ByteReader Part(std::size_t count);

 private:
  void Fail() { ok_ = false; }
  ByteReader(std::span<const std::uint8_t> bytes, std::size_t pos, std::size_t end)
      : bytes_(bytes), pos_(pos), end_(end) {}

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  std::size_t end_;
  bool ok_ = true;
};

}  // namespace talvessa
