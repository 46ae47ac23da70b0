#include "render/render.h"

namespace talvessa {

namespace {

constexpr Colour kGround = Rgb(128, 128, 64);
constexpr Colour kDot = Rgb(189, 192, 34);
constexpr Colour kFlag = Rgb(232, 200, 40);
constexpr Colour kBanknote = Rgb(216, 224, 184);
constexpr Colour kBundle = Rgb(136, 136, 144);

}  // namespace

void DrawBackground(Surface& background) {
  FillRect(background, 0, 0, kFieldWidth, kFieldHeight, kGround);
  // A dot on every inner corner where four tiles meet.
  for (int c = 1; c < kColumns; ++c) {
    for (int r = 1; r < kFieldHeight / kCell; ++r) SetPoint(background, kCell * c, kCell * r, kDot);
  }
}

void DrawPlayerFlag(const World& world, Surface& composition) {
  FillRect(composition, world.PlayerX + 8, world.PlayerY + 4, 16, 24, kFlag);
}

void DrawPlayPasses(const World& world, Surface& composition) {
  DrawPlayerFlag(world, composition);
  for (const Shot& shot : world.Shots) {
    if (shot.Active != 1) continue;
    FillRect(composition, shot.X + 4, shot.Y + 10, 24, 12, shot.Value == 1000 ? kBanknote : kBundle);
  }
}

}  // namespace talvessa
