// What a game controller's buttons and stick mean to the game: the keys they stand for. A controller
// therefore reaches the game through the same key table, with the same order and once-per-press rules.
// Both real backends read their controllers through this one table.
#pragma once

#include "platform/keys.h"

namespace talvessa {

struct PadState {
  bool dpadLeft = false;
  bool dpadRight = false;
  bool a = false;
  bool b = false;
  bool x = false;
  bool start = false;
  int leftStickX = 0;  // -32768 (left) to 32767 (right)
};

// Past half its travel the stick counts as a step, clear of the drift of a worn stick at rest.
constexpr int kStickStepThreshold = 16384;

// Whether the controller holds the game key: d-pad or left stick step left and right, A throws a banknote
// (and starts or restarts on the screens), B or X sends the van, Start pauses and resumes.
inline bool PadHolds(const PadState& pad, int virtualKey) {
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
