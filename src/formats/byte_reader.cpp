#include "formats/byte_reader.h"

namespace talvessa {

std::span<const std::uint8_t> ByteReader::Take(std::size_t count) {
  if (!ok_ || Left() < count) {
    Fail();
    return {};
  }
  pos_ += count;
  return bytes_.subspan(pos_ - count, count);
}

std::uint8_t ByteReader::Byte() {
  const auto taken = Take(1);
  return taken.empty() ? 0 : taken[0];
}

std::string_view ByteReader::Id() {
  const auto taken = Take(4);
  return {reinterpret_cast<const char*>(taken.data()), taken.size()};
}

std::uint32_t ByteReader::BigEndian(std::size_t count) {
  std::uint32_t value = 0;
  for (const std::uint8_t byte : Take(count)) value = value << 8 | byte;
  return value;
}

std::uint32_t ByteReader::LittleEndian(std::size_t count) {
  const auto taken = Take(count);
  std::uint32_t value = 0;
  for (auto byte = taken.rbegin(); byte != taken.rend(); ++byte) value = value << 8 | *byte;
  return value;
}

ByteReader ByteReader::Part(std::size_t count) {
  ByteReader part(bytes_, pos_, pos_);
  Take(count);
  if (ok_) {
    part.end_ = pos_;
  } else {
    part.Fail();
  }
  return part;
}

}  // namespace talvessa
