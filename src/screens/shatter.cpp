// From the title screen into play: its last picture breaks into 192 tiles of 32 x 32 that fly away
// from the centre of the field.
#include "screens/screens.h"

namespace talvessa {

ShatterTiles BreakTitlePicture(Stage& stage) {
  CopyRegion(stage.Display, kComposition, kBackground, 0, 0, region::kWindowRight, region::kFieldBottom);
  CopyRegion(stage.Display, kBackground, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
  ShatterTiles tiles{};
  for (std::size_t n = 0; n < tiles.size(); ++n) {
    ShatterTile& t = tiles[n];
    t.homeX = static_cast<std::int16_t>(kCell * (n % kColumns));
    t.homeY = static_cast<std::int16_t>(kCell * (n / kColumns));
    t.velocityX = static_cast<std::int16_t>(stage.random.Below(16) + 8);
    t.velocityY = static_cast<std::int16_t>(stage.random.Below(12) + 8);
  }
  // Left-half tiles fly left, top-half tiles fly up.
  for (std::size_t n = 0; n < tiles.size(); ++n) {
    ShatterTile& t = tiles[n];
    if (n % kColumns < kColumns / 2) t.velocityX = static_cast<std::int16_t>(-t.velocityX);
    if (n < tiles.size() / 2) t.velocityY = static_cast<std::int16_t>(-t.velocityY);
  }
  return tiles;
}

void DrawShatterStep(Stage& stage, const ShatterTiles& tiles, int step) {
  Surface& composition = stage.Display[kComposition];
  Clear(composition);
  for (const ShatterTile& t : tiles) {
    const int x = t.velocityX * step + t.homeX;
    const int y = t.velocityY * step + t.homeY;
    if (x >= -kCell && x <= 576 && y >= -kCell && y <= kFieldHeight) {
      Blit(composition, x, y, kCell, kCell, stage.Display[kBackground], t.homeX, t.homeY, Rop::SrcCopy);
    }
  }
  CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kPastWindowBottom);
}

}  // namespace talvessa
