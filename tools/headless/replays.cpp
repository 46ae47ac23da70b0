#include "replays.h"

#include "formats/quoted.h"
#include "replay/play_game.h"

namespace talvessa {

namespace {

// What the test-only world change adds to Funds.
constexpr std::int32_t kTestFundsChange = 10;

}  // namespace

void HeadlessReplays::Prepare(HeadlessPlatform::Options& setup) {
  if (options_.replayFile.empty()) return;
  replay_ = ReadReplayFile(options_.replayFile);
  setup.seed = replay_->seed;
}

bool HeadlessReplays::Attach(HeadlessPlatform& platform, PassObserver& next, std::ostream& err) {
  platform_ = &platform;
  next_ = &next;
  if (options_.untilPass) platform.input.StopAfterPass(*options_.untilPass);
  if (replay_) {
    if (const std::string warning = OtherVersionWarning(options_.replayFile, *replay_); !warning.empty())
      err << "talvessa-headless: " << warning << '\n';
    player_ = std::make_unique<ReplayPlayer>(*replay_, platform.input, &next,
                                             ReplayPlayer::Options{.stopAtDifference = options_.verify});
    next_ = player_.get();
  } else if (!options_.saveReplayFile.empty()) {
    recorder_ =
        std::make_unique<ReplayRecorder>(platform.input, platform.clock, &next, err, "talvessa-headless");
    if (!recorder_->Start(options_.saveReplayFile, ReplayGameVersion(), options_.seed, options_.checkEvery)) {
      return false;
    }
    next_ = recorder_.get();
  }
  return true;
}

Platform HeadlessReplays::Services() {
  Input& input = player_     ? static_cast<Input&>(*player_)
                 : recorder_ ? static_cast<Input&>(*recorder_)
                             : static_cast<Input&>(platform_->input);
  return {platform_->clock, input, platform_->screen, platform_->audio, platform_->programFolder};
}

void HeadlessReplays::Watch(Game& game) {
  game_ = &game;
  game.observer = this;
}

void HeadlessReplays::PassDone(const Game& game, Loop loop) {
  platform_->input.PassDone();
  // A rule of play changed for one pass: the tests' way of making a playback go wrong.
  if (pass_++ == options_.testChangeFundsAtPass) game_->world.Funds += kTestFundsChange;
  next_->PassDone(game, loop);
}

int HeadlessReplays::Finish(const Game& game, const char* reason, std::ostream& err) {
  const std::string how = reason;
  if (recorder_) {
    const ReplayEndReason end = how == "quit"     ? ReplayEndReason::Quit
                                : how == "closed" ? ReplayEndReason::Closed
                                                  : ReplayEndReason::Stopped;
    return recorder_->Finish(game, end) ? 0 : 1;
  }
  if (!player_) return 0;
  if (how == "quit" || how == "closed") {
    player_->RunEnded(game, how == "quit" ? ReplayEndReason::Quit : ReplayEndReason::Closed);
  }
  const std::string file = QuotedPath(options_.replayFile);
  if (!player_->Difference().empty()) {
    err << "talvessa-headless: " << file << ": " << player_->Difference() << '\n';
    if (options_.verify) return 3;
  }
  if (player_->RanOut()) {
    err << "talvessa-headless: " << file << " was cut short: played up to pass " << player_->PassesDone()
        << ", where it stops\n";
    return 4;
  }
  return 0;
}

}  // namespace talvessa
