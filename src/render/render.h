// The picture of play: the ground in the background surface and the actors drawn over it.
// Until the sprite sheet is drawn, the ground is plain olive with its dots and the actors are
// plain blocks.
#pragma once

#include "present/surface.h"
#include "world/world.h"

namespace talvessa {

// Builds the ground picture of the field.
void DrawBackground(Surface& background);
// The player's flag at (PlayerX, PlayerY).
void DrawPlayerFlag(const World& world, Surface& composition);
// Every drawing pass of a world step, in order, onto the composition surface.
void DrawPlayPasses(const World& world, Surface& composition);

}  // namespace talvessa
