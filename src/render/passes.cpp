// The nine passes of a world step; each draws over what the ones before it left.
#include "render/render.h"

namespace talvessa {

void DrawPlayPasses(const World& world, Displays& display, const Surface& chip, Text& text) {
  Surface& composition = display[kComposition];
  DrawPlayerFlag(world, composition, chip);
  DrawVan(world, composition, chip);
  DrawUnits(world, composition, chip);
  DrawShots(world, composition, chip);
  DrawHostages(world, composition, display[kBackground], chip);
  DrawBursts(world, composition, chip);
  DrawPopups(world, composition, text);
  DrawBubbles(world, composition, chip);
  DrawFunds(world, composition, text);
}

void DrawWorldStep(const World& world, Displays& display, const Surface& chip, Text& text) {
  CopyRegion(display, kBackground, kComposition, 0, 0, region::kFieldRight, region::kFieldBottom);
  DrawPlayPasses(world, display, chip, text);
  CopyRegion(display, kComposition, kVisible, 0, 0, region::kFieldRight, region::kFieldBottom);
}

}  // namespace talvessa
