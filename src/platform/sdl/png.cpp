#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>

#include "platform/sdl/sdl_platform.h"

namespace talvessa {

bool SavePng(const WindowPicture& picture, const std::string& path) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(picture.rgb.data()),
                                                            WindowPicture::kWidth, WindowPicture::kHeight, 24,
                                                            WindowPicture::kWidth * 3, SDL_PIXELFORMAT_RGB24);
  if (surface == nullptr) return false;
  const bool saved = IMG_SavePNG(surface, path.c_str()) == 0;
  SDL_FreeSurface(surface);
  return saved;
}

bool LoadPng(const std::string& path, WindowPicture& picture) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (rgb == nullptr) return false;
  const bool fits = rgb->w == WindowPicture::kWidth && rgb->h == WindowPicture::kHeight;
  if (fits) {
    const auto* pixels = static_cast<const std::uint8_t*>(rgb->pixels);
    for (int y = 0; y < rgb->h; ++y) {
      std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * rgb->pitch, WindowPicture::kWidth * 3,
                  picture.rgb.begin() + static_cast<std::ptrdiff_t>(y) * WindowPicture::kWidth * 3);
    }
  }
  SDL_FreeSurface(rgb);
  return fits;
}

}  // namespace talvessa
