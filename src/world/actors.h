// One world step of everything that moves by itself.
#pragma once

#include "world/world.h"

namespace talvessa {

// Frees the player's step for this world step and lifts the shots in flight.
void StepActors(World& world);

}  // namespace talvessa
