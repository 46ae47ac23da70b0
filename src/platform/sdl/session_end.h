// The ends of a session that come from outside the window: a hang-up (the terminal closed), an interrupt
// or a termination, and the display's connection lost (the X server gone). The game hears each as the
// window closing, so that it ends as by the close box: a recording gets its end line, the sound stops.
#pragma once

#include <SDL.h>

namespace talvessa {

// Catches SIGHUP, SIGINT and SIGTERM from now on, and the loss of `window`'s X connection (on X11);
// ignores SIGPIPE, so that a write into a pipe whose reader has gone fails instead of ending the game.
void WatchForSessionEnd(SDL_Window* window);
// Whether the session has ended so since WatchForSessionEnd.
bool SessionEnded();
// Whether it ended by the display's connection lost: nothing more can be asked of the window.
bool DisplayLost();

}  // namespace talvessa
