#include "platform/sdl/sdl_window.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <utility>

#include "platform/sdl/window_layout.h"

namespace talvessa {

namespace embedded {
std::span<const std::uint8_t> IconBmp();
}  // namespace embedded

namespace {

constexpr const char* kCaption = "Talvessa";

// The black bands around the picture: above, below, left and right of it.
std::array<SDL_Rect, 4> Bands(const PictureLayout& at, int width, int height) {
  const int below = at.y + at.height;
  const int right = at.x + at.width;
  return {{{0, 0, width, at.y},
           {0, below, width, height - below},
           {0, at.y, at.x, at.height},
           {right, at.y, width - right, at.height}}};
}

// The flag icon for the title bar and the task switcher; a window without it still works.
void SetIcon(SDL_Window* window) {
  const std::span<const std::uint8_t> bmp = embedded::IconBmp();
  SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size())), 1);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::Open(std::string& error, std::optional<int> scale, bool fullscreen) {
  // The window is sized in desktop units; on a high-density screen its drawable has more pixels than
  // that, and the picture is laid out on the drawable.
  SDL_Rect desktop{0, 0, WindowPicture::kWidth, WindowPicture::kHeight};
  SDL_GetDisplayUsableBounds(0, &desktop);
  int factor = StartingFactor(desktop.w, desktop.h);
  if (scale) {
    factor = FittingStartFactor(*scale, desktop.w, desktop.h);
    // The player learns why the window is smaller than asked for, in one line.
    if (factor != *scale) {
      std::fprintf(stderr, "talvessa: --scale %d does not fit the screen (%d x %d); the window opens at %d\n",
                   *scale, desktop.w, desktop.h, factor);
    }
  }
  SDL_Window* window = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        WindowPicture::kWidth * factor, WindowPicture::kHeight * factor,
                                        SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, WindowPicture::kWidth, WindowPicture::kHeight, 24,
                                                      SDL_PIXELFORMAT_RGB24);
  if (window == nullptr || frame == nullptr || SDL_GetWindowSurface(window) == nullptr) {
    error = SDL_GetError();
    if (frame != nullptr) SDL_FreeSurface(frame);
    if (window != nullptr) SDL_DestroyWindow(window);
    return nullptr;
  }
  SDL_SetWindowMinimumSize(window, WindowPicture::kWidth, WindowPicture::kHeight);
  // The window shows itself only once it carries its icon, so that it is never seen without one.
  SetIcon(window);
  SDL_ShowWindow(window);
  SDL_FillRect(frame, nullptr, 0);
  std::unique_ptr<SdlWindow> opened(new SdlWindow(window, frame));
  if (fullscreen) {
    opened->ToggleFullscreen();
  } else {
    opened->Redraw();
  }
  return opened;
}

SdlWindow::~SdlWindow() {
  if (matched_ != nullptr) SDL_FreeSurface(matched_);
  SDL_FreeSurface(frame_);
  SDL_DestroyWindow(window_);
}

void SdlWindow::Present(const WindowPicture& picture) {
  // The pause redraws the same picture a hundred times a second; the window already shows it, and
  // redraws itself when it is uncovered or resized.
  bool changed = false;
  for (int y = 0; y < WindowPicture::kHeight; ++y) {
    const std::uint8_t* from =
        picture.rgb.data() + static_cast<std::ptrdiff_t>(y) * WindowPicture::kWidth * 3;
    std::uint8_t* to = static_cast<std::uint8_t*>(frame_->pixels) + y * frame_->pitch;
    if (std::memcmp(to, from, WindowPicture::kWidth * 3) == 0) continue;
    std::memcpy(to, from, WindowPicture::kWidth * 3);
    changed = true;
  }
  // A window surface made anew since (the window was resized) is drawn whatever the picture.
  const SDL_Surface* shown = SDL_GetWindowSurface(window_);
  if (changed || shown != drawn_ || shown == nullptr || shown->w != drawnWidth_ || shown->h != drawnHeight_) {
    Redraw();
  }
  ++presented_;
  // Each is taken out before it runs, so that it may wait for a picture of its own.
  for (std::size_t i = 0; i < waiting_.size();) {
    if (waiting_[i].first > presented_) {
      ++i;
      continue;
    }
    const std::function<void()> then = std::move(waiting_[i].second);
    waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
    then();
  }
}

void SdlWindow::Redraw() {
  // SDL makes the surface anew after a change of size; it always has the drawable's pixel size.
  SDL_Surface* shown = SDL_GetWindowSurface(window_);
  if (shown == nullptr || shown->w <= 0 || shown->h <= 0) return;
  const PictureLayout at = LayOutPicture(shown->w, shown->h);
  for (const SDL_Rect& band : Bands(at, shown->w, shown->h)) {
    if (band.w > 0 && band.h > 0) SDL_FillRect(shown, &band, SDL_MapRGB(shown->format, 0, 0, 0));
  }
  drawn_ = shown;
  drawnWidth_ = shown->w;
  drawnHeight_ = shown->h;
  SDL_Rect place{at.x, at.y, at.width, at.height};
  if (at.factor == 1) {
    SDL_BlitSurface(frame_, nullptr, shown, &place);
  } else {
    // SDL enlarges by nearest neighbour only between surfaces of one pixel format, so the picture is
    // first converted to the window's format.
    if (matched_ == nullptr || matched_->format->format != shown->format->format) {
      if (matched_ != nullptr) SDL_FreeSurface(matched_);
      matched_ = SDL_CreateRGBSurfaceWithFormat(0, WindowPicture::kWidth, WindowPicture::kHeight,
                                                shown->format->BitsPerPixel, shown->format->format);
      if (matched_ == nullptr) return;
      // A format with alpha would otherwise blend, off SDL's fast enlarging path.
      SDL_SetSurfaceBlendMode(matched_, SDL_BLENDMODE_NONE);
    }
    SDL_BlitSurface(frame_, nullptr, matched_, nullptr);
    SDL_BlitScaled(matched_, nullptr, shown, &place);
  }
  SDL_UpdateWindowSurface(window_);
}

void SdlWindow::ToggleFullscreen() {
  const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  // The game has no use for the mouse; fullscreen, its pointer would only sit over the picture.
  SDL_ShowCursor(full ? SDL_ENABLE : SDL_DISABLE);
  Redraw();
}

}  // namespace talvessa
