// What one run of the game holds, and the shell that drives it: start-up, the game-state loop, the
// paced frame loop, the waits, the key poll and the commands.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "present/sound.h"
#include "present/surface.h"
#include "present/text.h"
#include "present/window_view.h"
#include "world/random.h"
#include "world/world.h"

namespace talvessa {

// The loops whose passes an observer is told of.
enum class Loop { Logo, Attract, Shatter, Play, Pause, GameOver, Ending };
const char* LoopName(Loop loop);

struct Game;

// Told after every pass of every loop (the headless tool writes its trace from here).
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  virtual void PassDone(const Game& game, Loop loop) = 0;
};

// Thrown from an event pump once the player has closed the window and the sound is stopped.
struct WindowClosed {};

// How WaitMs passes the time: sleeping in slices (the game), or spinning on the clock (kept only so
// that the pacing benchmark can compare the two).
enum class WaitMode { Sliced, Busy };

// What the screens keep from one frame to the next.
struct ScreenMemory {
  // Which rows of the logo have been revealed. Never cleared: the logo is shown once a run.
  std::array<std::uint8_t, 129> LogoRowShown{};
  std::uint8_t LogoRowCount = 0;
  // The part of the current word typed so far on an end screen, and the two letter counters.
  std::string TypedText;
  std::int16_t FirstLetters = 0;   // "GAME", or the characters of the ending's message
  std::int16_t SecondLetters = 0;  // "OVER"
};

struct Game {
  // Without a glyph rasteriser the game runs drawing no text.
  explicit Game(Platform& platform, GlyphRasterizer* glyphs = nullptr);
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  Platform& platform;
  World world;
  Random random;
  std::string AppFolder;
  Displays Display;
  Surface Chip;      // the sprite sheet, 288 x 288
  Surface LogoChip;  // the logo, 96 x 128
  Text text;         // the texts printed on the surfaces
  Sound sound;
  ScreenMemory screens;
  WindowView window;

  // Frame timing on the millisecond clock; differences are taken modulo 2^32.
  std::uint32_t FrameStart = 0;
  std::uint32_t FrameEnd = 0;
  std::int32_t FrameElapsed = 0;
  std::int32_t FrameRemaining = 0;

  // The command of the key found at the previous poll: makes some keys act once per press.
  std::int16_t LastKey = 0;

  // A window event came during this round of twelve pause passes: they run on without rest.
  bool pauseWoken = false;

  WaitMode waitMode = WaitMode::Sliced;
  PassObserver* observer = nullptr;
};

// Start-up: the random seed, AppFolder and the surfaces.
void SetUpForm(Game& game);
// The program: start-up, the world reset, then the game-state loop.
void StateLoop(Game& game);
// The game-state loop: runs the screen of GameState until it is Quit, then stops and closes the music.
void RunGameStates(Game& game);
// One pass of the pause display.
void PausePass(Game& game);

// The frame loop of play; returns when GameState has changed.
void FrameLoop(Game& game);

// Events and time.
void PumpEvents(Game& game);
std::uint32_t TimeMs(Game& game);
// Returns after strictly more than `ms` milliseconds on the clock, pumping events all the while.
void WaitMs(Game& game, std::int32_t ms);
// Returns after strictly more than `ms` milliseconds on the clock (the tick count and the
// multimedia clock are one clock here), without pumping events.
void DelayMs(Game& game, std::int32_t ms);
// The top of every loop pass: FrameStart, then one event pump.
void BeginPass(Game& game);
// The tail of every loop pass: waits out what is left of FramePeriod since FrameStart.
void PaceFrame(Game& game);
// The Esc test of every loop: when Esc is held, GameState becomes Quit and it says so.
bool QuitOnEsc(Game& game);
// Tells the observer, if any, that a pass of `loop` is done.
void NotePass(Game& game, Loop loop);
// Runs passes of `loop` until one returns false, noting each.
void RunPasses(Game& game, Loop loop, bool (*pass)(Game&));

// Keys and commands.
bool KeyHeld(Game& game, int virtualKey);
void PollKeys(Game& game);
void HandleCommand(Game& game);

}  // namespace talvessa
