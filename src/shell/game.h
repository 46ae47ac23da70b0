// What one run of the game holds, and the shell that drives it: start-up and the game-state loop, which
// runs the loop of each screen from the table in shell/loops.cpp. The frame skeleton every loop runs is in
// shell/frames.h, the key poll and the commands in shell/commands.h.
#pragma once

#include <cstdint>

#include "platform/glyphs.h"
#include "platform/platform.h"
#include "present/window_view.h"
#include "screens/stage.h"

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

// The run: the stage the screens draw on, the machine's services, and the shell's own values.
struct Game final : Stage {
  // Without a glyph rasteriser the game runs drawing no text.
  explicit Game(const Platform& platform, GlyphRasterizer* glyphs = nullptr);

  Platform platform;
  WindowView window;

  // Frame timing on the millisecond clock; differences are taken modulo 2^32.
  std::uint32_t FrameStart = 0;
  std::uint32_t FrameEnd = 0;
  std::int32_t FrameElapsed = 0;
  std::int32_t FrameRemaining = 0;

  // A window event came during this round of twelve pause passes: they run on without rest until the
  // keyboard is read again.
  bool pauseRunsOn = false;

  PassObserver* observer = nullptr;
};

// Start-up: the random seed, AppFolder, the surfaces and the world reset.
void SetUpForm(Game& game);
// The game-state loop, after start-up: runs the loop of GameState until it is Quit, then stops and closes
// the music. Each loop runs its passes until it has changed GameState; the pause runs one a turn.
void RunGameStates(Game& game);

// The title screen's last picture flies apart (about 0.7 s, no events handled).
void ShatterScreen(Game& game);

// The bodies of the shell's own loops (those of the screens are in screens/screens.h): a frame of play (a
// world step and a new picture every second one), and a pass of the pause display.
PassEnd PlayFrame(Stage& stage);
PassEnd PauseFrame(Stage& stage);

}  // namespace talvessa
