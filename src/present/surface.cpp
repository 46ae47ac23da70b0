#include "present/surface.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <utility>

namespace talvessa {

namespace {

constexpr int kBytesPerPixel = 3;

std::atomic<std::uint64_t> lastChangeStamp{0};

std::uint8_t* PixelPtr(Surface& s, int x, int y) {
  return s.pixels.data() + (static_cast<std::size_t>(y) * s.Width + x) * kBytesPerPixel;
}
const std::uint8_t* PixelPtr(const Surface& s, int x, int y) {
  return s.pixels.data() + (static_cast<std::size_t>(y) * s.Width + x) * kBytesPerPixel;
}

void FillPixels(std::uint8_t* row, int count, Colour colour) {
  const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(colour & 0xFF),
                               static_cast<std::uint8_t>((colour >> 8) & 0xFF),
                               static_cast<std::uint8_t>((colour >> 16) & 0xFF)};
  for (int i = 0; i < count; ++i) std::memcpy(row + i * kBytesPerPixel, rgb, kBytesPerPixel);
}

// dest[i] = combine(dest[i], src[i]) for n bytes. OR and AND treat each bit alone, so they run eight
// bytes at a time: WebAssembly has no vector unit to do that for a loop of bytes.
template <typename Combine>
void CombineRow(std::uint8_t* dest, const std::uint8_t* src, std::size_t n, Combine combine) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t d, s;
    std::memcpy(&d, dest + i, 8);
    std::memcpy(&s, src + i, 8);
    d = combine(d, s);
    std::memcpy(dest + i, &d, 8);
  }
  for (; i < n; ++i) dest[i] = static_cast<std::uint8_t>(combine(dest[i], src[i]));
}

// The overlap of [d, d + n) with [0, destSize) and of [s, s + n) with [0, srcSize), as a shift of
// both starts and a length; the length is 0 or less when nothing overlaps.
struct Span {
  std::int64_t dest, src, length;
};
Span ClipSpan(std::int64_t d, std::int64_t s, std::int64_t n, std::int64_t destSize, std::int64_t srcSize) {
  const std::int64_t skip = std::max({std::int64_t{0}, -d, -s});
  const std::int64_t end = std::min({n, destSize - d, srcSize - s});
  return {d + skip, s + skip, end - skip};
}

}  // namespace

Surface MakeSurface(int width, int height, Colour backColor) {
  Surface surface;
  surface.BackColor = backColor;
  SetGeometry(surface, width, height, 0, 0);
  return surface;
}

void SetGeometry(Surface& surface, int width, int height, int left, int top) {
  Surface resized;
  resized.Width = std::max(width, 0);
  resized.Height = std::max(height, 0);
  resized.pixels.resize(static_cast<std::size_t>(resized.Width) * resized.Height * kBytesPerPixel);
  for (int y = 0; y < resized.Height; ++y)
    FillPixels(PixelPtr(resized, 0, y), resized.Width, surface.BackColor);
  const int keepW = std::min(resized.Width, surface.Width);
  const int keepH = std::min(resized.Height, surface.Height);
  for (int y = 0; y < keepH; ++y) {
    std::memcpy(PixelPtr(resized, 0, y), PixelPtr(std::as_const(surface), 0, y),
                static_cast<std::size_t>(keepW) * kBytesPerPixel);
  }
  surface.Width = resized.Width;
  surface.Height = resized.Height;
  surface.Left = left;
  surface.Top = top;
  surface.pixels = std::move(resized.pixels);
  NotifyWatcher(surface);
}

void Clear(Surface& surface) { FillRect(surface, 0, 0, surface.Width, surface.Height, surface.BackColor); }

void NotifyWatcher(Surface& surface) {
  surface.changeStamp = ++lastChangeStamp;
  if (surface.watcher != nullptr) surface.watcher->SurfaceChanged(surface);
}

void SetPoint(Surface& surface, int x, int y, Colour colour) { FillRect(surface, x, y, 1, 1, colour); }

void FillRect(Surface& surface, int x, int y, int w, int h, Colour colour) {
  const Span cols = ClipSpan(x, 0, w, surface.Width, surface.Width);
  const Span rows = ClipSpan(y, 0, h, surface.Height, surface.Height);
  if (cols.length <= 0 || rows.length <= 0) return;
  for (std::int64_t row = rows.dest; row < rows.dest + rows.length; ++row) {
    FillPixels(PixelPtr(surface, static_cast<int>(cols.dest), static_cast<int>(row)),
               static_cast<int>(cols.length), colour);
  }
  NotifyWatcher(surface);
}

void Blit(Surface& dest, std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h, const Surface& src,
          std::int32_t sx, std::int32_t sy, Rop rop) {
  const Span cols = ClipSpan(dx, sx, w, dest.Width, src.Width);
  const Span rows = ClipSpan(dy, sy, h, dest.Height, src.Height);
  if (cols.length <= 0 || rows.length <= 0) return;

  const auto rowBytes = static_cast<std::size_t>(cols.length) * kBytesPerPixel;
  const int height = static_cast<int>(rows.length);
  // A copy within one surface reads from a snapshot so that overlapping rectangles stay intact.
  Surface snapshot;
  const Surface* from = &src;
  if (&src == &dest) {
    snapshot = src;
    from = &snapshot;
  }
  auto sourceRow = [&](int r) {
    return PixelPtr(*from, static_cast<int>(cols.src), static_cast<int>(rows.src) + r);
  };
  auto destRow = [&](int r) {
    return PixelPtr(dest, static_cast<int>(cols.dest), static_cast<int>(rows.dest) + r);
  };

  bool changed = false;
  switch (rop) {
    case Rop::SrcCopy:
      for (int r = 0; r < height; ++r) {
        // The visible surface is only shown again when a copy really changed it.
        if (dest.watcher != nullptr && std::memcmp(destRow(r), sourceRow(r), rowBytes) == 0) continue;
        std::memcpy(destRow(r), sourceRow(r), rowBytes);
        changed = true;
      }
      break;
    case Rop::SrcPaint:
      for (int r = 0; r < height; ++r) CombineRow(destRow(r), sourceRow(r), rowBytes, std::bit_or<>());
      changed = true;
      break;
    case Rop::SrcAnd:
      for (int r = 0; r < height; ++r) CombineRow(destRow(r), sourceRow(r), rowBytes, std::bit_and<>());
      changed = true;
      break;
  }
  if (changed) NotifyWatcher(dest);
}

void DrawMasked(Surface& dest, int x, int y, const Surface& sheet, const SpriteCell& cell) {
  Blit(dest, x, y, cell.width, cell.height, sheet, cell.maskX, cell.maskY, Rop::SrcPaint);
  Blit(dest, x, y, cell.width, cell.height, sheet, cell.picX, cell.picY, Rop::SrcAnd);
}

void CopyRegion(Displays& display, int src, int dst, int col0, int row0, int col1, int row1) {
  // Grid positions are multiplied as 16-bit values, as the game has always done.
  auto units = [](int n) { return static_cast<std::int16_t>(16 * n); };
  const Surface& from = display.at(static_cast<std::size_t>(src));
  Surface& to = display.at(static_cast<std::size_t>(dst));
  Blit(to, units(col0), units(row0), units(col1 - col0), units(row1 - row0), from, units(col0), units(row0),
       Rop::SrcCopy);
}

}  // namespace talvessa
