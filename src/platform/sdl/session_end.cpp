#include "platform/sdl/session_end.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <initializer_list>

namespace talvessa {

namespace {

volatile std::sig_atomic_t gSignalled = 0;
volatile std::sig_atomic_t gDisplayLost = 0;

void OnSignal(int) { gSignalled = 1; }

// Xlib's own handler of a lost connection exits; this one says so and returns, and Xlib then calls the
// exit handler below instead of exit(1). Later requests on the connection fail at once, and the game goes
// on to its end as if the window had closed.
int OnConnectionBroken(Display*) {
  if (gDisplayLost == 0) std::fputs("talvessa: the connection to the display was lost\n", stderr);
  gDisplayLost = 1;
  return 0;
}
void OnDisplayLost(Display*, void*) { gDisplayLost = 1; }

}  // namespace

void WatchForSessionEnd(SDL_Window* window) {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGHUP, SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
  // A recording into a pipe whose reader has gone stops with a line, and the game plays on.
  std::signal(SIGPIPE, SIG_IGN);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    XSetIOErrorHandler(OnConnectionBroken);
    XSetIOErrorExitHandler(info.info.x11.display, OnDisplayLost, nullptr);
  }
}

bool SessionEnded() { return gSignalled != 0 || gDisplayLost != 0; }

bool DisplayLost() { return gDisplayLost != 0; }

}  // namespace talvessa
