// The frame skeleton that every loop of the game runs, and the time, waits and event pumps it is made of.
//
// A pass: it begins (FrameStart and one event pump; a pause pass first rests until a window event), runs
// its loop's body, tests Esc and waits out the rest of FramePeriod in the loop's order, and tells the
// observer. A body that has changed GameState may leave at once, without the Esc test and the wait.
#pragma once

#include <cstdint>

#include "shell/game.h"

namespace talvessa {

// Whether a loop tests Esc before the wait of its frame or after it (a key that goes down during the
// wait is seen at once, or at the next pass). Each screen keeps the order it has always had.
enum class EscTest { BeforeWait, AfterWait };
// How a pass is paced: a frame of FramePeriod, or a pause pass, which has no period and only rests until
// a window event comes (at most 10 ms), so that a pause does not spin a core.
enum class Pacing { Frame, RestUntilEvent };

struct LoopShape {
  Loop loop;
  GameState state;  // the loop runs while GameState is this
  Pacing pacing;
  EscTest esc;
  PassBody body;
};

// The loop that runs in `state` (not Quit), from the table in shell/loops.cpp.
const LoopShape& LoopOf(GameState state);
// One pass of the loop; whether the loop goes on.
bool RunPass(Game& game, const LoopShape& shape);

// Handles pending window events; a close stops the sound and throws WindowClosed.
void PumpEvents(Game& game);
// The millisecond clock.
std::uint32_t TimeMs(Game& game);
// Returns after strictly more than `ms` milliseconds on the clock, pumping events all the while.
void WaitMs(Game& game, std::int32_t ms);
// Returns after strictly more than `ms` milliseconds on the clock (the tick count and the
// multimedia clock are one clock here), without pumping events.
void DelayMs(Game& game, std::int32_t ms);
// The top of a pass: FrameStart (or the pause's rest), then one event pump.
void BeginPass(Game& game, Pacing pacing = Pacing::Frame);
// The tail of a frame: waits out what is left of FramePeriod since FrameStart.
void PaceFrame(Game& game);
// The Esc test: when Esc is held, GameState becomes Quit and it says so.
bool QuitOnEsc(Game& game);
// Tells the observer, if any, that a pass of `loop` is done.
void NotePass(Game& game, Loop loop);

}  // namespace talvessa
