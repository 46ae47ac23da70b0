#include "world/actors.h"

namespace talvessa {

void StepActors(World& w) {
  w.KeyLatch = 0;  // the flag may move one column per world step
  for (Shot& shot : w.Shots) {
    if (shot.Active != 1) continue;
    shot.Y = static_cast<std::int16_t>(shot.Y - 24);
    if (shot.Y <= -32) shot = Shot{0, 0, shot.Value, 0};  // a removed shot keeps its Value
  }
}

}  // namespace talvessa
