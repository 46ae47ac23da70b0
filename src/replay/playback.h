// Playing a replay back: an Input that answers the game's key queries as the recording says, closes the
// window where it was closed, and an observer of the passes that compares the world with the recorded
// check values. The machine's own input still runs the window (and its Esc may end the playback).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/input.h"
#include "replay/replay_file.h"
#include "shell/game.h"

namespace talvessa {

// Thrown from PassDone to end the playback: the recording was stopped there, the world no longer matches
// (when asked to stop there), the game goes on past the recording's end, or a recording cut short has run
// out.
struct ReplayStopped {};

class ReplayPlayer final : public Input, public PassObserver {
 public:
  struct Options {
    bool stopAtDifference = false;
    // Esc held on the machine's keyboard ends the playback as closing the window does.
    bool escapeEnds = false;
  };
  // `machine` pumps the window's events (and moves a virtual clock on); `next` (or nothing) is told of
  // every pass before the player compares it.
  ReplayPlayer(const Replay& replay, Input& machine, PassObserver* next, Options options);

  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;
  void PassDone(const Game& game, Loop loop) override;

  // After a run that ended by itself (Esc or the window closing): compares how and where it ended with the
  // recording's end.
  void RunEnded(const Game& game, ReplayEndReason reason);

  // The first difference, as one line ("pass 540: Funds is 1190, recorded 1200"); empty while the
  // playback matches the recording.
  const std::string& Difference() const { return difference_; }
  // The recording has no end and the playback stopped after its last pass.
  bool RanOut() const { return ranOut_; }
  // The one watching closed the window or pressed Esc.
  bool EndedByViewer() const { return endedByViewer_; }
  std::uint64_t PassesDone() const { return pass_ - 1; }

 private:
  // Keeps the first difference; stops the playback when asked to.
  void Differs(const std::string& what);
  void Note(const std::string& what);

  const Replay& replay_;
  Input& machine_;
  PassObserver* next_;
  Options options_;

  std::uint64_t pass_ = 1;
  std::uint64_t query_ = 0;
  std::uint64_t pumpsThisPass_ = 0;
  std::size_t nextKey_ = 0;
  std::size_t nextCheck_ = 0;
  std::uint64_t lastMatch_ = 0;
  std::array<bool, 256> held_{};
  std::string difference_;
  bool ranOut_ = false;
  bool endedByViewer_ = false;
};

}  // namespace talvessa
