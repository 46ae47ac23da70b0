// The picture as it lands in the window's own pixels, for windows of many sizes: every picture pixel a
// factor x factor block at its place, the rest black. SDL's offscreen driver keeps the window's surface in
// plain memory, where the test can read it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_window.h"
#include "platform/sdl/window_layout.h"

namespace talvessa {
namespace {

class WindowScaling : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    std::string error;
    window_ = SdlWindow::Open(error);
    ASSERT_NE(window_, nullptr) << error;
    // Every pixel of the picture its own colour, as far as 24 bits allow.
    for (int y = 0; y < WindowPicture::kHeight; ++y) {
      for (int x = 0; x < WindowPicture::kWidth; ++x) {
        std::uint8_t* p = &picture_.rgb[(static_cast<std::size_t>(y) * WindowPicture::kWidth + x) * 3];
        p[0] = static_cast<std::uint8_t>(x);
        p[1] = static_cast<std::uint8_t>(y);
        p[2] = static_cast<std::uint8_t>(64 + (x >> 8) * 16 + (y >> 8) * 64);
      }
    }
  }
  void TearDown() override {
    window_.reset();
    SDL_Quit();
    unsetenv("SDL_VIDEODRIVER");
  }

  // Shows the picture in a window of the given size; counts the window pixels that are not as they
  // should be, reporting the first.
  int WrongPixels(int width, int height) {
    SDL_SetWindowSize(window_->handle(), width, height);
    SDL_PumpEvents();
    window_->Present(picture_);
    SDL_Surface* shown = SDL_GetWindowSurface(window_->handle());
    EXPECT_EQ(shown->w, width);
    EXPECT_EQ(shown->h, height);
    const PictureLayout at = LayOutPicture(shown->w, shown->h);
    int wrong = 0;
    for (int y = 0; y < shown->h; ++y) {
      const auto* row =
          static_cast<const std::uint8_t*>(shown->pixels) + static_cast<std::ptrdiff_t>(y) * shown->pitch;
      for (int x = 0; x < shown->w; ++x) {
        Uint32 value = 0;
        std::memcpy(&value, row + x * shown->format->BytesPerPixel, shown->format->BytesPerPixel);
        Uint8 r, g, b;
        SDL_GetRGB(value, shown->format, &r, &g, &b);
        std::uint8_t want[3] = {0, 0, 0};
        const int px = x - at.x;
        const int py = y - at.y;
        if (px >= 0 && py >= 0 && px < at.width && py < at.height) {
          const std::size_t source =
              (static_cast<std::size_t>(py / at.factor) * WindowPicture::kWidth + px / at.factor) * 3;
          std::memcpy(want, &picture_.rgb[source], 3);
        }
        if (r != want[0] || g != want[1] || b != want[2]) {
          if (wrong == 0) {
            ADD_FAILURE() << "window " << width << "x" << height << ": pixel " << x << "," << y << " is "
                          << int{r} << "," << int{g} << "," << int{b} << ", not " << int{want[0]} << ","
                          << int{want[1]} << "," << int{want[2]};
          }
          ++wrong;
        }
      }
    }
    return wrong;
  }

  std::unique_ptr<SdlWindow> window_;
  WindowPicture picture_;
};

TEST_F(WindowScaling, EveryFactorGivesSharpBlocksCentredOnBlack) {
  const int sizes[][2] = {
      {576, 448},   {1152, 896},  {1728, 1344}, {2304, 1792},  // exactly 1x to 4x
      {1500, 1000}, {1920, 1080}, {2560, 1440}, {1729, 1345},  // bands, odd ones uneven
      {3000, 1000}, {700, 2000},                               // very wide, very tall
  };
  for (const auto& size : sizes) EXPECT_EQ(WrongPixels(size[0], size[1]), 0);
}

TEST_F(WindowScaling, ShrinkingAfterGrowingLeavesNoTrace) {
  EXPECT_EQ(WrongPixels(2304, 1792), 0);
  EXPECT_EQ(WrongPixels(1300, 1000), 0);
  EXPECT_EQ(WrongPixels(576, 448), 0);
}

}  // namespace
}  // namespace talvessa
