// The nine passes of a world step; each draws over what the ones before it left.
#include "render/render.h"

namespace talvessa {

void DrawPlayPasses(const World& world, Displays& display, const Surface& chip, Text& text) {
  Surface& composition = display[1];
  DrawPlayerFlag(world, composition, chip);
  DrawVan(world, composition, chip);
  DrawUnits(world, composition, chip);
  DrawShots(world, composition, chip);
  DrawHostages(world, composition, display[2], chip);
  DrawBursts(world, composition, chip);
  DrawPopups(world, composition, text);
  DrawBubbles(world, composition, chip);
  DrawFunds(world, composition, text);
}

void DrawWorldStep(const World& world, Displays& display, const Surface& chip, Text& text) {
  CopyRegion(display, 2, 1, 0, 0, 32, 24);
  DrawPlayPasses(world, display, chip, text);
  CopyRegion(display, 1, 0, 0, 0, 32, 24);
}

}  // namespace talvessa
