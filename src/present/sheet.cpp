#include "present/sheet.h"

#include <limits>
#include <utility>

namespace talvessa {

// The committed BMP files, compiled in by cmake/assets.cmake.
namespace embedded {
std::span<const std::uint8_t> SheetBmp();
std::span<const std::uint8_t> LogoBmp();
}  // namespace embedded

namespace {

std::uint32_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8;
}
std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
  return Read16(b, at) | Read16(b, at + 2) << 16;
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; later versions only add fields

Surface LoadEmbedded(std::span<const std::uint8_t> bytes) {
  Surface surface;
  DecodeBmp(bytes, surface);  // the embedded files are checked by the tests; a failure leaves it empty
  return surface;
}

}  // namespace

bool DecodeBmp(std::span<const std::uint8_t> bytes, Surface& out) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t dataOffset = Read32(bytes, 10);
  const std::uint32_t infoSize = Read32(bytes, 14);
  if (infoSize < kInfoHeaderSize || kFileHeaderSize + std::uint64_t{infoSize} > bytes.size()) return false;
  const auto width = static_cast<std::int32_t>(Read32(bytes, 18));
  const auto rawHeight = static_cast<std::int32_t>(Read32(bytes, 22));
  const std::uint32_t planes = Read16(bytes, 26);
  const std::uint32_t bitsPerPixel = Read16(bytes, 28);
  const std::uint32_t compression = Read32(bytes, 30);
  if (planes != 1 || bitsPerPixel != 24 || compression != 0) return false;
  // A negative height means the rows are stored top-down.
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t{rawHeight} : std::int64_t{rawHeight};
  if (width <= 0 || height <= 0 || width > std::numeric_limits<std::int16_t>::max() ||
      height > std::numeric_limits<std::int16_t>::max()) {
    return false;
  }
  const std::uint64_t stride = (std::uint64_t{static_cast<std::uint32_t>(width)} * 3 + 3) & ~std::uint64_t{3};
  if (dataOffset < kFileHeaderSize + infoSize || dataOffset + stride * height > bytes.size()) return false;

  Surface decoded;
  decoded.Width = width;
  decoded.Height = static_cast<int>(height);
  decoded.pixels.resize(static_cast<std::size_t>(width) * decoded.Height * 3);
  for (int y = 0; y < decoded.Height; ++y) {
    const std::size_t storedRow = topDown ? y : decoded.Height - 1 - y;
    const std::uint8_t* from = bytes.data() + dataOffset + storedRow * stride;
    std::uint8_t* to = decoded.pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];  // stored blue, green, red
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  out.Width = decoded.Width;
  out.Height = decoded.Height;
  out.pixels = std::move(decoded.pixels);
  return true;
}

Surface LoadSheet() { return LoadEmbedded(embedded::SheetBmp()); }
Surface LoadLogo() { return LoadEmbedded(embedded::LogoBmp()); }

}  // namespace talvessa
