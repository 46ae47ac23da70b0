// The headless backend: a virtual clock that moves only when the game waits (plus a few microseconds
// per event pump), keys and window events from a script, pictures and sound commands recorded.
// The same options give the same run, step for step, on every machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_screen.h"
#include "platform/platform.h"

namespace talvessa {

struct HeadlessPlatform {
  struct Options {
    std::uint64_t seed = 1;
    // Where the millisecond clock starts; near 2^32 it wraps early in the run.
    std::uint32_t clockStartMs = 0;
    std::vector<ScriptEvent> script;
    std::optional<std::uint64_t> untilMs;
    // How long the tune plays before it stops by itself; by default it loops without end.
    std::optional<std::uint64_t> tuneLengthMs;
    // The program's folder as the game is told it; by default the folder of this executable.
    std::optional<std::string> programFolder;
  };

  explicit HeadlessPlatform(Options options);
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // The services as the game sees them.
  Platform Services() { return {clock, input, screen, audio, programFolder}; }

  HeadlessClock clock;
  HeadlessInput input;
  HeadlessScreen screen;
  HeadlessAudio audio;
  std::string programFolder;
};

}  // namespace talvessa
