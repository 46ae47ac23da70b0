// The floor for start-up: a bare SDL program that opens a window the size of the game's picture and shows
// one white picture through the window surface, then prints the wall-clock time of that moment and the
// process's CPU time until then in nanoseconds, as startup_probe does for the game. bench/game.sh runs the
// two side by side.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <ctime>

int main() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
    return 1;
  }
  // As the game does on X11: the surface is copied to the window, with no 3-D renderer behind it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 576, 448, 0);
  SDL_Surface* surface = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
  if (surface == nullptr) {
    std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));
  SDL_UpdateWindowSurface(window);
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  std::printf("%lld %lld\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
              static_cast<long long>(cpu.tv_sec) * 1000000000LL + cpu.tv_nsec);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
