// What every loop of the game draws with and counts in (the world, the run's values, the surfaces, the
// stored pictures, the texts, the sound, the random generator), the keys, and the shell's two calls a
// frame makes. The shell's Game is a Stage; the screens see only this.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/glyphs.h"
#include "platform/input.h"
#include "present/sound.h"
#include "present/surface.h"
#include "present/text.h"
#include "world/random.h"
#include "world/world.h"

namespace talvessa {

// How a pass of a loop ends: it goes on to its Esc test and its wait, or it leaves its loop at once,
// without them, having changed GameState.
enum class PassEnd { Continue, Leave };

struct Stage;

// The shell's key poll and command table (shell/commands.cpp), as the screens call them.
struct ShellCommands {
  // Command and LastKey from the keys held now.
  void (*pollKeys)(Stage& stage);
  // Does what Command asks in the current GameState; Space on the title screen starts play.
  void (*handleCommand)(Stage& stage);
};

// What the screens keep from one frame to the next.
struct ScreenMemory {
  // Which rows of the logo have been revealed. Never cleared: the logo is shown once a run.
  std::array<std::uint8_t, 129> LogoRowShown{};
  std::uint8_t LogoRowCount = 0;
  // The part of the current word typed so far on an end screen, and the two letter counters.
  std::string TypedText;
  std::int16_t FirstLetters = 0;   // "GAME", or the characters of the ending's message
  std::int16_t SecondLetters = 0;  // "OVER"
  // The change stamps of the composition and the visible surface when the pause last showed its word:
  // while both hold, showing it again would change no pixel.
  std::array<std::uint64_t, 2> PauseShownAt{~0ULL, ~0ULL};
};

struct Stage {
  // Without a glyph rasteriser the game runs drawing no text.
  Stage(Audio& audio, Clock& clock, Input& input, GlyphRasterizer* glyphs, ShellCommands commands)
      : text(glyphs), sound(audio, clock, AppFolder), input(input), commands(commands) {}
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  World world;
  RunState run;
  Random random;
  std::string AppFolder;  // the program's folder, ending in one separator
  Displays Display;
  Surface Chip;      // the sprite sheet, 288 x 288
  Surface LogoChip;  // the logo, 96 x 128
  Text text;         // the texts printed on the surfaces
  Sound sound;
  ScreenMemory screens;
  // The command of the key found at the previous poll: makes some keys act once per press.
  std::int16_t LastKey = command::None;
  // The keys held (the screens read Esc and Space directly), and the shell's calls.
  Input& input;
  ShellCommands commands;
};

// The body of one pass of a loop; the shell's frame skeleton runs it between the pass's start and its
// Esc test and wait.
using PassBody = PassEnd (*)(Stage& stage);

}  // namespace talvessa
