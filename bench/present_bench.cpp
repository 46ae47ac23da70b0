// Showing one picture in the real window at each whole enlargement: the black bands, the conversion to
// the window's pixel format, the nearest-neighbour enlargement and the hand-over to the display server.
// Run it under a display large enough for 4x (bench/present.sh uses a 2560 x 1920 Xvfb screen).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl/sdl_window.h"

namespace talvessa {
namespace {

void BM_ShowPicture(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  std::string error;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(error);
  if (window == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  SDL_Window* sdlWindow = window->handle();
  SDL_SetWindowSize(sdlWindow, WindowPicture::kWidth * factor, WindowPicture::kHeight * factor);
  SDL_PumpEvents();
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(sdlWindow, &width, &height);
  state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
  WindowPicture picture;
  for (std::size_t i = 0; i < picture.rgb.size(); ++i) picture.rgb[i] = static_cast<std::uint8_t>(i * 7);
  for (auto _ : state) window->Present(picture);
  state.counters["Mpixel/s"] = benchmark::Counter(
      static_cast<double>(width) * height * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShowPicture)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

// SDL's video runs once for the whole program, around the benchmarks.
struct Video {
  Video() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "present_bench: no display (%s)\n", SDL_GetError());
      std::exit(1);
    }
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  ~Video() { SDL_Quit(); }
} video;

}  // namespace
}  // namespace talvessa
