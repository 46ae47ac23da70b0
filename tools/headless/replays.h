// What a headless run does with replays and loop passes: it plays a replay back in place of the keys
// (and verifies it), or saves what it played as one; it tells the key script of every pass, and stops
// after a number of passes.
#pragma once

#include <memory>
#include <optional>
#include <ostream>

#include "headless.h"
#include "replay/playback.h"
#include "replay/recording.h"

namespace talvessa {

class HeadlessReplays final : public PassObserver {
 public:
  explicit HeadlessReplays(const HeadlessOptions& options) : options_(options) {}

  // Reads the replay to play back, whose seed becomes the run's. Throws BadReplay.
  void Prepare(HeadlessPlatform::Options& setup);
  // Puts the player or the recorder in front of the platform's keys; `next` hears of every pass after
  // them. False (said on `err`) when the replay cannot be saved.
  bool Attach(HeadlessPlatform& platform, PassObserver& next, std::ostream& err);
  // The services the game is to see.
  Platform Services();
  // Watches the game's passes.
  void Watch(Game& game);

  void PassDone(const Game& game, Loop loop) override;

  // After the run, which ended for `reason` ("quit", "closed", "time" or "replay"): finishes the replay
  // being saved, judges the one played back. The exit status (0 when all is well), said on `err`.
  int Finish(const Game& game, const char* reason, std::ostream& err);

 private:
  const HeadlessOptions& options_;
  std::optional<Replay> replay_;
  HeadlessPlatform* platform_ = nullptr;
  std::unique_ptr<ReplayPlayer> player_;
  std::unique_ptr<ReplayRecorder> recorder_;
  PassObserver* next_ = nullptr;
  Game* game_ = nullptr;
  std::uint64_t pass_ = 1;
};

}  // namespace talvessa
