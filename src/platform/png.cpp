#include <SDL.h>
#include <SDL_image.h>

#include "platform/platform.h"

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

}  // namespace talvessa
