#include "platform/sdl/sdl_pads.h"

namespace talvessa {

void SdlPads::Start() {
  if (!started_) started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

SdlPads::~SdlPads() {
  for (auto& [id, pad] : open_) SDL_GameControllerClose(pad);
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlPads::HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_CONTROLLERDEVICEADDED) {
    // `which` is a device index here; the controller is known by its instance id from now on.
    SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which);
    if (pad == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    // The same controller may be announced twice (present at start and seen by the device scan).
    if (!open_.emplace(id, pad).second) SDL_GameControllerClose(pad);
  } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
    const auto found = open_.find(event.cdevice.which);
    if (found == open_.end()) return;
    SDL_GameControllerClose(found->second);
    open_.erase(found);
  }
}

void SdlPads::ReadControls() {
  read_.clear();
  for (const auto& [id, pad] : open_) {
    PadState state;
    state.dpadLeft = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0;
    state.dpadRight = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0;
    state.a = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A) != 0;
    state.b = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_B) != 0;
    state.x = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_X) != 0;
    state.start = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_START) != 0;
    state.leftStickX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    read_.push_back(state);
  }
}

bool SdlPads::Held(int virtualKey) const {
  for (const PadState& state : read_) {
    if (PadHolds(state, virtualKey)) return true;
  }
  return false;
}

}  // namespace talvessa
