// What the game asks of the machine, as four narrow services and the program's folder. Everything
// outside src/platform/ sees only these interfaces (and the glyph service of glyphs.h); two backends
// implement them: the SDL one (sdl/) for the real game and the headless one (headless/) for tools and
// tests.
#pragma once

#include <string>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/screen.h"

namespace talvessa {

// The services of one backend, which owns them and outlives the game that uses them.
struct Platform {
  Clock& clock;
  Input& input;
  Screen& screen;
  Audio& audio;
  // The folder holding the data folder "da/": the program's own, or the installed one found from it.
  std::string programFolder;
};

}  // namespace talvessa
