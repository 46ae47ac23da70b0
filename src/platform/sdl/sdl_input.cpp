#include "platform/sdl/sdl_input.h"

#include <SDL.h>

#include <cstdint>
#include <optional>

#include "platform/keys.h"
#include "platform/sdl/session_end.h"

namespace talvessa {

namespace {

// Letters and punctuation follow the keyboard layout, as virtual keys do; the rest are fixed keys.
SDL_Scancode ScancodeFor(int virtualKey) {
  switch (virtualKey) {
    case vk::Enter: return SDL_SCANCODE_RETURN;
    case vk::Escape: return SDL_SCANCODE_ESCAPE;
    case vk::Space: return SDL_SCANCODE_SPACE;
    case vk::Left: return SDL_SCANCODE_LEFT;
    case vk::Right: return SDL_SCANCODE_RIGHT;
    case vk::B: return SDL_GetScancodeFromKey(SDLK_b);
    case vk::N: return SDL_GetScancodeFromKey(SDLK_n);
    case vk::V: return SDL_GetScancodeFromKey(SDLK_v);
    case vk::X: return SDL_GetScancodeFromKey(SDLK_x);
    case vk::Z: return SDL_GetScancodeFromKey(SDLK_z);
    case vk::Comma: return SDL_GetScancodeFromKey(SDLK_COMMA);
    case vk::Period: return SDL_GetScancodeFromKey(SDLK_PERIOD);
    case vk::Slash: return SDL_GetScancodeFromKey(SDLK_SLASH);
    default: return SDL_SCANCODE_UNKNOWN;
  }
}

WindowKeys::Key WindowKeyOf(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_RETURN: return WindowKeys::Key::Return;
    case SDL_SCANCODE_KP_ENTER: return WindowKeys::Key::KeypadEnter;
    case SDL_SCANCODE_F11: return WindowKeys::Key::F11;
    default: return WindowKeys::Key::Other;
  }
}

// M, - and = as the keyboard layout places them, and the keypad's - and +; not with Ctrl, Alt or the
// system key, whose shortcuts belong to the desktop.
std::optional<SoundKeys::Key> SoundKeyOf(const SDL_Keysym& key) {
  if ((key.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) return std::nullopt;
  switch (key.sym) {
    case SDLK_m: return SoundKeys::Key::Mute;
    case SDLK_MINUS:
    case SDLK_KP_MINUS: return SoundKeys::Key::Down;
    case SDLK_EQUALS:
    case SDLK_KP_PLUS: return SoundKeys::Key::Up;
    default: return std::nullopt;
  }
}

std::optional<SoundKeys::Key> SoundButtonOf(std::uint8_t button) {
  if (button == SDL_CONTROLLER_BUTTON_LEFTSHOULDER) return SoundKeys::Key::Down;
  if (button == SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) return SoundKeys::Key::Up;
  return std::nullopt;
}

}  // namespace

void SdlInput::PressSoundKey(SoundKeys::Key key, bool repeat) {
  soundKeys_.Pressed(key, repeat);
  if (sound_ != nullptr) sound_->SetVolume(soundKeys_.Heard());
}

PumpResult SdlInput::PumpEvents() {
  // Draining the whole queue on every pump keeps it from growing without end.
  bool close = false;
  bool lostKeyboard = false;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT: close = true; break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) close = true;
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) lostKeyboard = true;
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          window_.Redraw();
        }
        break;
      case SDL_KEYDOWN:
        if (windowKeys_.Pressed(WindowKeyOf(event.key.keysym.scancode),
                                (event.key.keysym.mod & KMOD_ALT) != 0, event.key.repeat != 0)) {
          window_.ToggleFullscreen();
        }
        if (const auto key = SoundKeyOf(event.key.keysym)) PressSoundKey(*key, event.key.repeat != 0);
        break;
      case SDL_KEYUP: windowKeys_.Released(WindowKeyOf(event.key.keysym.scancode)); break;
      case SDL_CONTROLLERBUTTONDOWN:
        if (const auto key = SoundButtonOf(event.cbutton.button)) PressSoundKey(*key, false);
        break;
      case SDL_AUDIODEVICEADDED:
      case SDL_AUDIODEVICEREMOVED:
        if (sound_ != nullptr && event.adevice.iscapture == 0) {
          sound_->DeviceEvent(event.type == SDL_AUDIODEVICEADDED, event.adevice.which);
        }
        break;
      default: pads_.HandleEvent(event); break;
    }
  }
  pads_.ReadControls();
  focusPause_.Pumped(lostKeyboard, SDL_GetTicks64());
  if (sound_ != nullptr) sound_->Pump();
  // A hang-up, an interrupt or the display gone end the game as closing its window does.
  if (SessionEnded()) close = true;
  return close ? PumpResult::CloseRequested : PumpResult::Running;
}

bool SdlInput::WaitForEvents(std::uint32_t timeoutMs) {
  focusPause_.Waited(SDL_GetTicks64());
  return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs)) != 0;
}

bool SdlInput::KeyDown(int virtualKey) {
  // The Enter of a window that lost the keyboard during play comes when the window no longer has it.
  if (virtualKey == vk::Enter && focusPause_.ReadEnter()) return true;
  // SDL tracks keys and controllers for the window that has the keyboard and lets them all go when it
  // loses it.
  if (!window_.HasKeyboard()) return false;
  if (pads_.Held(virtualKey)) return true;
  const Uint8* keys = SDL_GetKeyboardState(nullptr);
  if (virtualKey == vk::Enter) {
    return windowKeys_.GameSeesEnter(keys[SDL_SCANCODE_RETURN] != 0, keys[SDL_SCANCODE_KP_ENTER] != 0,
                                     (SDL_GetModState() & KMOD_ALT) != 0);
  }
  const SDL_Scancode code = ScancodeFor(virtualKey);
  return code != SDL_SCANCODE_UNKNOWN && keys[code] != 0;
}

}  // namespace talvessa
