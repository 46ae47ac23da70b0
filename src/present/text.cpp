#include "present/text.h"

#include <algorithm>

namespace talvessa {

Text::Text(GlyphRasterizer* rasterizer, std::size_t capacity)
    : rasterizer_(rasterizer), capacity_(capacity == 0 ? 1 : capacity) {}

const TextImage* Text::Render(const std::string& face, int points, bool bold, const std::string& utf8) {
  if (rasterizer_ == nullptr || utf8.empty()) return nullptr;
  std::string key = face;
  key += '\0';
  key += std::to_string(points);
  key += bold ? 'b' : 'n';
  key += '\0';
  key += utf8;
  if (auto found = index_.find(key); found != index_.end()) {
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->drawable ? &found->second->image : nullptr;
  }
  if (entries_.size() >= capacity_) {
    index_.erase(entries_.back().key);
    entries_.pop_back();
  }
  entries_.push_front(Entry{key, {}, false});
  Entry& entry = entries_.front();
  entry.drawable = rasterizer_->Rasterize(face, points, bold, utf8, entry.image) && entry.image.width > 0 &&
                   entry.image.height > 0 &&
                   entry.image.coverage.size() == static_cast<std::size_t>(entry.image.width) *
                                                      static_cast<std::size_t>(entry.image.height);
  index_.emplace(std::move(key), entries_.begin());
  return entry.drawable ? &entry.image : nullptr;
}

std::string NumberText(std::int32_t value) {
  std::string digits = std::to_string(value);
  return (value < 0 ? digits : " " + digits) + " ";
}

namespace {

// What a glyph pixel lays on one channel: the pixel is brought into the range between the colour
// weighted by the coverage towards black and the colour weighted towards white. So white text takes the
// lighter of the pixel and its weighted colour, black text (a shadow) the darker, and any text takes its
// own colour where a glyph covers a pixel fully. The range depends only on the glyph, so a second print
// over the first changes nothing.
std::uint8_t Lay(std::uint8_t pixel, std::uint8_t colour, std::uint8_t coverage) {
  const int lowest = (colour * coverage + 127) / 255;
  const int highest = 255 - ((255 - colour) * coverage + 127) / 255;
  return static_cast<std::uint8_t>(std::clamp<int>(pixel, lowest, highest));
}

}  // namespace

void PrintText(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
               std::string_view value) {
  const TextImage* image = text.Render(surface.FontName, size, bold, std::string(value));
  if (image == nullptr) return;
  const std::uint8_t ink[3] = {static_cast<std::uint8_t>(colour & 0xFF),
                               static_cast<std::uint8_t>((colour >> 8) & 0xFF),
                               static_cast<std::uint8_t>((colour >> 16) & 0xFF)};
  bool changed = false;
  for (int row = 0; row < image->height; ++row) {
    const int sy = y + row;
    if (sy < 0 || sy >= surface.Height) continue;
    for (int col = 0; col < image->width; ++col) {
      const int sx = x + col;
      if (sx < 0 || sx >= surface.Width) continue;
      const std::uint8_t coverage = image->coverage[static_cast<std::size_t>(row) * image->width + col];
      if (coverage == 0) continue;
      std::uint8_t* p = &surface.pixels[(static_cast<std::size_t>(sy) * surface.Width + sx) * 3];
      for (int channel = 0; channel < 3; ++channel) {
        const std::uint8_t laid = Lay(p[channel], ink[channel], coverage);
        changed = changed || laid != p[channel];
        p[channel] = laid;
      }
    }
  }
  // Like the copies, a print that changed no pixel does not show the visible surface again.
  if (changed) NotifyWatcher(surface);
}

void PrintText(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
               std::int32_t value) {
  PrintText(text, surface, x, y, size, bold, colour, NumberText(value));
}

void PrintNumber(Text& text, Surface& surface, int x, int y, int size, bool bold, Colour colour,
                 std::int32_t value) {
  int digits = 1;
  for (std::int64_t power = 10; digits <= 7 && value >= power; power *= 10) ++digits;
  PrintText(text, surface, x - digits * (size / 3), y, size, bold, colour, value);
}

}  // namespace talvessa
