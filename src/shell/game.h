// What one run of the game holds, and the shell that drives it: start-up, the game-state loop and the
// loop of each screen. The frame skeleton every loop runs is in shell/frames.h, the key poll and the
// commands in shell/commands.h.
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

// How WaitMs passes the time: sleeping in slices (the game), or spinning on the clock (kept only so
// that the pacing benchmark can compare the two).
enum class WaitMode { Sliced, Busy };

// The run: the stage the screens draw on, the machine's services, and the shell's own values. It is the
// shell's side of the keys a frame asks for (Controls).
struct Game final : private Controls, Stage {
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

  WaitMode waitMode = WaitMode::Sliced;
  PassObserver* observer = nullptr;

 private:
  bool KeyHeld(int virtualKey) override;
  void PollKeys() override;
  void HandleCommand() override;
};

// Start-up: the random seed, AppFolder and the surfaces.
void SetUpForm(Game& game);
// The program: start-up, the world reset, then the game-state loop.
void StateLoop(Game& game);
// The game-state loop: runs the screen of GameState until it is Quit, then stops and closes the music.
void RunGameStates(Game& game);

// The loops, each returning once it has changed GameState.
void RunLogoScreen(Game& game);
void RunAttractSequence(Game& game);
// The frame loop of play: a frame every FramePeriod, a world step and a new picture every second one.
void FrameLoop(Game& game);
// One pass of the pause display (the game-state loop runs one a turn while paused).
void PausePass(Game& game);
void RunGameOverScreen(Game& game);
void RunEndingScreen(Game& game);
// The title screen's last picture flies apart (about 0.7 s, no events handled).
void ShatterScreen(Game& game);

// The bodies of the shell's own loops (those of the screens are in screens/screens.h): a frame of play,
// and a pass of the pause display.
PassEnd PlayFrame(Stage& stage);
PassEnd PauseFrame(Stage& stage);

}  // namespace talvessa
