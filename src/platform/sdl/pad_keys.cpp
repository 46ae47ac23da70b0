#include "platform/sdl/pad_keys.h"

#include "platform/keys.h"

namespace talvessa {

bool PadHolds(const PadState& pad, int virtualKey) {
  switch (virtualKey) {
    case vk::Left: return pad.dpadLeft || pad.leftStickX <= -kStickStepThreshold;
    case vk::Right: return pad.dpadRight || pad.leftStickX >= kStickStepThreshold;
    case vk::Space: return pad.a;
    case vk::V: return pad.b || pad.x;
    case vk::Enter: return pad.start;
    default: return false;
  }
}

}  // namespace talvessa
