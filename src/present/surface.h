// Picture surfaces owned by the game: 24-bit RGB pixels with a size, a place in the window and a
// background colour, and the rectangle copies with raster operations that compose every picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talvessa {

// Colours as the game writes them: red + 256 * green + 65536 * blue.
using Colour = std::uint32_t;
constexpr Colour Rgb(int red, int green, int blue) {
  return static_cast<Colour>(red | (green << 8) | (blue << 16));
}
constexpr Colour kBlack = 0;
constexpr Colour kWhite = 0xFFFFFF;

// Raster operations by their ternary codes.
enum class Rop : std::uint32_t {
  SrcCopy = 0x00CC0020,   // destination = source
  SrcPaint = 0x00EE0086,  // destination = destination OR source
  SrcAnd = 0x008800C6,    // destination = destination AND source
};

struct Surface;

// Told of every change to the surface it watches (the window watches the visible surface).
class SurfaceWatcher {
 public:
  virtual ~SurfaceWatcher() = default;
  virtual void SurfaceChanged(const Surface& surface) = 0;
};

struct Surface {
  int Width = 0;
  int Height = 0;
  int Left = 0;  // place in the window's client area
  int Top = 0;
  Colour BackColor = kWhite;
  std::string FontName;
  std::vector<std::uint8_t> pixels;  // Width * Height pixels, R, G, B, rows top to bottom
  SurfaceWatcher* watcher = nullptr;
  // Stamped anew by every change, with a number no change of any surface had before: pixels whose
  // stamp is the same as before are the same pixels (a copy of the surface keeps its stamp).
  std::uint64_t changeStamp = 0;
};

// Stamps the surface's change and tells its watcher, if any, that its pixels changed. Every drawing
// operation here calls it when it has changed a pixel.
void NotifyWatcher(Surface& surface);

// A surface of the given size at (0, 0), filled with its background colour.
Surface MakeSurface(int width, int height, Colour backColor);
// Sets size and place; pixels that still fit keep their colour, new ones take the background colour.
void SetGeometry(Surface& surface, int width, int height, int left, int top);
// Fills the surface with its background colour.
void Clear(Surface& surface);
// Sets one pixel; points off the surface are ignored.
void SetPoint(Surface& surface, int x, int y, Colour colour);
// Fills the w x h rectangle at (x, y), cut at the surface's edges.
void FillRect(Surface& surface, int x, int y, int w, int h, Colour colour);

// Copies the w x h rectangle at (sx, sy) of `src` to (dx, dy) of `dest`, combining by `rop`. The copy
// is cut wherever it reaches outside either surface; nothing wraps. Source and destination may be one
// surface.
void Blit(Surface& dest, std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h, const Surface& src,
          std::int32_t sx, std::int32_t sy, Rop rop);

// A sprite on the sheet: its mask (white silhouette on black) and its picture (on white).
struct SpriteCell {
  int maskX, maskY, picX, picY, width, height;
};
// The masked draw: the mask ORed in whitens the silhouette, then the picture ANDed in colours it,
// so the pixels around the silhouette keep their colour.
void DrawMasked(Surface& dest, int x, int y, const Surface& sheet, const SpriteCell& cell);

// The three screen-sized surfaces, by their index: only the visible one is ever seen; each picture is
// composed on the composition surface, over the ground or title picture kept on the background surface.
using Displays = std::array<Surface, 3>;
constexpr int kVisible = 0;
constexpr int kComposition = 1;
constexpr int kBackground = 2;

// Regions are counted in 16-pixel units: the field is 32 x 24 of them (512 x 384), the window 36 x 28.
// The copies reach to these right and bottom edges; what lies past a surface's edge is cut off.
namespace region {
constexpr int kFieldRight = 32;        // x 512
constexpr int kWindowRight = 36;       // x 576, the window's width
constexpr int kFieldBottom = 24;       // y 384
constexpr int kPastWindowBottom = 32;  // y 512, past the window's 448
}  // namespace region

// Copies, with SrcCopy, the region of columns col0..col1 and rows row0..row1 of 16-pixel units from
// Display(src) to the same place on Display(dst).
void CopyRegion(Displays& display, int src, int dst, int col0, int row0, int col1, int row1);

}  // namespace talvessa
