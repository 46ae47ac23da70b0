// The ground of the field, and the two single sprites drawn first over it: the flag and the van.
#include "present/sheet.h"
#include "render/render.h"

namespace talvessa {

namespace {

constexpr int kRows = kFieldHeight / kCell;
constexpr Colour kCornerDot = Rgb(189, 192, 34);

// The van's roof marks: k = VanTimer / 4 rounded to the nearest whole number, halves to the even one,
// then frame A for even k and B for odd k. Done in integers so no rounding mode can change it.
bool VanFrameA(int timer) {
  int quotient = timer / 4;
  int remainder = timer % 4;
  if (remainder < 0) {  // floor division for the negative timers a wrapped counter could give
    quotient -= 1;
    remainder += 4;
  }
  const bool roundUp = remainder > 2 || (remainder == 2 && quotient % 2 != 0);
  const int k = quotient + (roundUp ? 1 : 0);
  return k % 2 == 0;
}

}  // namespace

void DrawBackground(Surface& background, const Surface& chip) {
  for (int c = 0; c < kColumns; ++c) {
    for (int r = 0; r < kRows; ++r) {
      Blit(background, kCell * c, kCell * r, sheet::kGroundSize, sheet::kGroundSize, chip, sheet::kGroundX,
           sheet::kGroundY, Rop::SrcCopy);
    }
  }
  // Inner corners only: none on the field's left and top edges, none past its right and bottom.
  for (int c = 1; c < kColumns; ++c) {
    for (int r = 1; r < kRows; ++r) SetPoint(background, kCell * c, kCell * r, kCornerDot);
  }
}

void DrawPlayerFlag(const World& world, Surface& composition, const Surface& chip) {
  DrawMasked(composition, world.PlayerX, world.PlayerY, chip, sheet::kFlag);
}

void DrawVan(const World& world, Surface& composition, const Surface& chip) {
  if (world.VanTimer == 0) return;
  DrawMasked(composition, world.VanX, world.VanY, chip,
             VanFrameA(world.VanTimer) ? sheet::kVanA : sheet::kVanB);
}

}  // namespace talvessa
