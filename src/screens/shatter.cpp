// From the title screen into play: its last picture breaks into 192 tiles of 32 x 32 that fly away
// from the centre of the field for 28 steps of 25 ms.
#include <array>

#include "screens/screens.h"

namespace talvessa {

namespace {

constexpr int kTiles = kColumns * kFieldHeight / kCell;  // 16 columns by 12 rows
constexpr int kSteps = 28;
constexpr std::int32_t kStepMs = 25;

struct Tile {
  std::int16_t homeX, homeY, velocityX, velocityY;
};

}  // namespace

void ShatterScreen(Game& game) {
  CopyRegion(game.Display, 1, 2, 0, 0, 36, 24);
  CopyRegion(game.Display, 2, 0, 0, 0, 36, 24);
  std::array<Tile, kTiles> tiles{};
  for (int n = 0; n < kTiles; ++n) {
    Tile& t = tiles[static_cast<std::size_t>(n)];
    t.homeX = static_cast<std::int16_t>(kCell * (n % kColumns));
    t.homeY = static_cast<std::int16_t>(kCell * (n / kColumns));
    t.velocityX = static_cast<std::int16_t>(game.random.Below(16) + 8);
    t.velocityY = static_cast<std::int16_t>(game.random.Below(12) + 8);
  }
  // Left-half tiles fly left, top-half tiles fly up.
  for (int n = 0; n < kTiles; ++n) {
    Tile& t = tiles[static_cast<std::size_t>(n)];
    if (n % kColumns < kColumns / 2) t.velocityX = static_cast<std::int16_t>(-t.velocityX);
    if (n < kTiles / 2) t.velocityY = static_cast<std::int16_t>(-t.velocityY);
  }
  for (int step = 1; step <= kSteps; ++step) {
    Clear(game.Display[1]);
    for (const Tile& t : tiles) {
      const int x = t.velocityX * step + t.homeX;
      const int y = t.velocityY * step + t.homeY;
      if (x >= -kCell && x <= 576 && y >= -kCell && y <= kFieldHeight) {
        Blit(game.Display[1], x, y, kCell, kCell, game.Display[2], t.homeX, t.homeY, Rop::SrcCopy);
      }
    }
    CopyRegion(game.Display, 1, 0, 0, 0, 36, 32);
    NotePass(game, Loop::Shatter);
    DelayMs(game, kStepMs);
  }
}

}  // namespace talvessa
