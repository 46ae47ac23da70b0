// Game controllers, plugged in and out at any time, read through SDL's game-controller mappings so that
// "A" and "Start" mean the same buttons on every make of pad.
#pragma once

#include <SDL.h>

#include <map>
#include <vector>

#include "platform/pad_table.h"

namespace talvessa {

class SdlPads {
 public:
  SdlPads() = default;
  ~SdlPads();

  SdlPads(const SdlPads&) = delete;
  SdlPads& operator=(const SdlPads&) = delete;

  // Starts SDL's controller support, a millisecond or more of scanning devices that the platform leaves
  // until the logo's first frame is shown; without it the game simply has no controllers. Controllers
  // already plugged in announce themselves through the event queue like those plugged in later.
  void Start();
  // Opens and closes controllers as they come and go.
  void HandleEvent(const SDL_Event& event);
  // Reads every controller once, after the event pump has brought SDL's view of them up to date.
  void ReadControls();

  // Whether any controller held the game key at the last reading. SDL leaves controllers untouched
  // while the window is in the background, as it does the keyboard.
  bool Held(int virtualKey) const;

 private:
  bool started_ = false;
  std::map<SDL_JoystickID, SDL_GameController*> open_;
  std::vector<PadState> read_;
};

}  // namespace talvessa
