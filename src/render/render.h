// The picture of play. The ground is built once in the background surface when play starts; every
// world step the ground is copied into the composition surface and nine passes draw the world over it,
// each over what the passes before it left: flag, van, units, shots, hostages, bursts, popups, bubbles,
// funds. Sprites come from the sheet by the masked draw and are cut at the surface's edges. Drawing only
// reads the world; the one lasting mark is a lone hostage in a standoff, stamped into the ground.
#pragma once

#include "present/surface.h"
#include "present/text.h"
#include "world/world.h"

namespace talvessa {

// The ground: 16 x 12 tiles copied whole from the sheet, and a one-pixel dot on every inner corner
// where four tiles meet.
void DrawBackground(Surface& background, const Surface& chip);

// The player's flag at (PlayerX, PlayerY).
void DrawPlayerFlag(const World& world, Surface& composition, const Surface& chip);
// The van at (VanX, VanY) while VanTimer runs; its roof marks alternate unevenly with the timer.
void DrawVan(const World& world, Surface& composition, const Surface& chip);

// Figures, vehicles with their ladders and aircraft, by each unit's State.
void DrawUnits(const World& world, Surface& composition, const Surface& chip);
// Every shot in flight: a banknote, or a bundle.
void DrawShots(const World& world, Surface& composition, const Surface& chip);
// Every hostage by Kind; a lone hostage in a standoff is also stamped into the ground.
void DrawHostages(const World& world, Surface& composition, Surface& background, const Surface& chip);
// The hit flashes, closed, opening and open by Stage.
void DrawBursts(const World& world, Surface& composition, const Surface& chip);

// The reward of a rescue, rising over the column whose unit flees or leaves.
void DrawPopups(const World& world, Surface& composition, Text& text);
// The speech bubble in the top row over a column whose hostage is held in a standoff.
void DrawBubbles(const World& world, Surface& composition, const Surface& chip);
// The player's Funds near the top centre, growing to the left.
void DrawFunds(const World& world, Surface& composition, Text& text);

// The nine passes of a world step, in order, onto the composition surface (and the standoff stamp onto
// the background).
void DrawPlayPasses(const World& world, Displays& display, const Surface& chip, Text& text);
// The picture of a world step: the ground copied into the composition surface, the nine passes, and the
// finished 512 x 384 picture copied to the visible surface.
void DrawWorldStep(const World& world, Displays& display, const Surface& chip, Text& text);

}  // namespace talvessa
