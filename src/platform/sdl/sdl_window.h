// The game's window: the 576 x 448 picture enlarged by the largest whole factor that fits, centred on
// black, in a window the player may resize or switch to fullscreen.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/screen.h"

namespace talvessa {

class SdlWindow final : public Screen {
 public:
  // Opens the window at `scale` times the picture, or unset at the largest factor that fits the desktop
  // comfortably, fullscreen if asked. Needs SDL's video started; gives null and fills `error` when no
  // window can be made.
  static std::unique_ptr<SdlWindow> Open(std::string& error, std::optional<int> scale = {},
                                         bool fullscreen = false);
  ~SdlWindow() override;

  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  void Present(const WindowPicture& picture) override;
  // Runs `then` once, right after the `count`th picture the game presents is on the screen.
  void AfterPictures(int count, std::function<void()> then) { waiting_.emplace_back(count, std::move(then)); }
  // Shows the last picture again: the window was uncovered or changed size.
  void Redraw();
  void ToggleFullscreen();
  bool HasKeyboard() const { return SDL_GetKeyboardFocus() == window_; }
  SDL_Window* handle() const { return window_; }

 private:
  SdlWindow(SDL_Window* window, SDL_Surface* frame) : window_(window), frame_(frame) {}

  SDL_Window* window_;
  SDL_Surface* frame_;              // the last picture, 576 x 448 RGB
  SDL_Surface* matched_ = nullptr;  // the same in the window's pixel format, for the enlarging blit
  // The window surface last drawn on, and its size: a picture already shown there is not drawn again.
  const SDL_Surface* drawn_ = nullptr;
  int drawnWidth_ = 0;
  int drawnHeight_ = 0;
  int presented_ = 0;
  std::vector<std::pair<int, std::function<void()>>> waiting_;
};

}  // namespace talvessa
