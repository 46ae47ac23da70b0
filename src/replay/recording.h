// Recording a run as a replay: an Input in front of the machine's that writes down every change in the
// answers to the game's key queries and the window's closing, and an observer of the passes that writes
// the world's check values. The file is written as the run goes, flushed at least every second and at
// every change of screen, so that a run cut short loses at most its last second.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/input.h"
#include "replay/replay_file.h"
#include "shell/game.h"

namespace talvessa {

class ReplayRecorder final : public Input, public PassObserver {
 public:
  // `keys` answers the queries; `next` (or nothing) is told of every pass after the recorder. A failure to
  // write is told once on `err`, prefixed with `program`; the recording then stops and the run goes on.
  ReplayRecorder(Input& keys, Clock& clock, PassObserver* next, std::ostream& err, std::string program);
  ~ReplayRecorder() override;
  ReplayRecorder(const ReplayRecorder&) = delete;
  ReplayRecorder& operator=(const ReplayRecorder&) = delete;

  // Creates the file and writes the header; false (said on `err`) when it cannot.
  bool Start(const std::string& path, const std::string& gameVersion, std::uint64_t seed,
             std::uint64_t checkEvery = kDefaultCheckEvery);

  // A close is reported at the first event pump of a pass, so that it falls between the same two passes
  // on playback: one seen during a frame's wait ends the run at the start of the next pass.
  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;
  void PassDone(const Game& game, Loop loop) override;

  // Writes the end line and closes the file; whether everything was written. A run stopped from outside
  // (Stopped) ends with the last pass done and the world as it left it.
  bool Finish(const Game& game, ReplayEndReason reason);

 private:
  void Write(const std::string& line);
  void Flush();
  void Stop(const std::string& what);

  Input& keys_;
  Clock& clock_;
  PassObserver* next_;
  std::ostream& err_;
  std::string program_;
  std::string path_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  std::uint64_t checkEvery_ = kDefaultCheckEvery;

  std::uint64_t pass_ = 1;
  std::uint64_t query_ = 0;
  std::uint64_t pumpsThisPass_ = 0;
  bool closeSeen_ = false;
  std::array<bool, 256> held_{};  // as the replay says so far, by virtual-key code
  WorldCheck lastPassValues_{};
  std::uint64_t lastFlushUs_ = 0;
  GameState lastState_ = GameState::Logo;
};

}  // namespace talvessa
