// Watching the screens frame by frame on the headless backend: an observer that can stop a loop, and
// what a test looks for in a picture.
#pragma once

#include <functional>
#include <utility>

#include "harness.h"
#include "pixel_at.h"

namespace talvessa::testing {

// Calls `look` after every pass of a loop; `look` returns false to stop the loop there.
class Watch final : public PassObserver {
 public:
  explicit Watch(std::function<bool(const Game&, Loop)> look) : look_(std::move(look)) {}
  void PassDone(const Game& game, Loop loop) override {
    if (!look_(game, loop)) throw Enough{};
  }
  struct Enough {};

 private:
  std::function<bool(const Game&, Loop)> look_;
};

// Runs one screen procedure with the watch attached until it returns or the watch has seen enough.
inline void RunScreen(Game& game, GameState loop, Watch& watch) {
  game.observer = &watch;
  try {
    while (RunPass(game, LoopOf(loop))) {
    }
  } catch (const Watch::Enough&) {
  }
  game.observer = nullptr;
}

// Whether the sprite `cell` stands at (x, y) of `s`: every pixel of its silhouette in its colour.
inline bool Shows(const Surface& s, int x, int y, const Surface& chip, const SpriteCell& cell) {
  for (int dy = 0; dy < cell.height; ++dy) {
    for (int dx = 0; dx < cell.width; ++dx) {
      if (PixelAt(chip, cell.maskX + dx, cell.maskY + dy) == kBlack) continue;
      if (PixelAt(s, x + dx, y + dy) != PixelAt(chip, cell.picX + dx, cell.picY + dy)) return false;
    }
  }
  return true;
}

inline bool AllBlack(const Surface& s, int x, int y, int w, int h) {
  for (int dy = 0; dy < h; ++dy) {
    for (int dx = 0; dx < w; ++dx) {
      if (PixelAt(s, x + dx, y + dy) != kBlack) return false;
    }
  }
  return true;
}

// The field surfaces as the logo screen leaves them: 512 x 384, black.
inline void FieldSurfaces(Game& game) {
  for (Surface& display : game.Display) {
    display.BackColor = kBlack;
    SetGeometry(display, kFieldWidth, kFieldHeight, 32, 32);
    Clear(display);
  }
}

}  // namespace talvessa::testing
