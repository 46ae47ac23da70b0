#include "replay/play_game.h"

#include <optional>

#include "formats/quoted.h"
#include "replay/playback.h"
#include "replay/recording.h"

namespace talvessa {

namespace {

int PlayBack(const Platform& machine, GlyphRasterizer* glyphs, const ShownReplay& shown, std::ostream& err) {
  const Replay& replay = shown.replay;
  const std::string file = QuotedPath(shown.file);
  SeededClock clock(machine.clock, replay.seed);
  ReplayPlayer player(replay, machine.input, nullptr, {.stopAtDifference = false, .escapeEnds = true});
  Game game({clock, player, machine.screen, machine.audio, machine.programFolder}, glyphs);
  game.observer = &player;
  try {
    SetUpForm(game);
    RunGameStates(game);
    player.RunEnded(game, ReplayEndReason::Quit);
  } catch (const WindowClosed&) {
    if (!player.EndedByViewer()) player.RunEnded(game, ReplayEndReason::Closed);
  } catch (const ReplayStopped&) {
  }
  if (!player.Difference().empty()) {
    err << "talvessa: " << file << " no longer plays back as recorded: " << player.Difference() << '\n';
    return 3;
  }
  if (player.RanOut() && !player.EndedByViewer()) {
    err << "talvessa: " << file << " was cut short; shown up to pass " << player.PassesDone() << '\n';
    return 4;
  }
  return 0;
}

}  // namespace

const char* ReplayGameVersion() { return TALVESSA_VERSION; }

std::string OtherVersionWarning(const std::string& file, const Replay& replay) {
  if (replay.gameVersion == ReplayGameVersion()) return "";
  return QuotedPath(file) + " was recorded by version " + Quoted(replay.gameVersion) + " of the game, this is " +
         ReplayGameVersion() + "; it may not play back as it was";
}

std::optional<ShownReplay> ReadReplayToShow(const std::string& file, std::ostream& err) {
  try {
    ShownReplay shown{file, ReadReplayFile(file)};
    if (const std::string warning = OtherVersionWarning(file, shown.replay); !warning.empty())
      err << "talvessa: " << warning << '\n';
    return shown;
  } catch (const BadReplay& bad) {
    err << "talvessa: " << bad.what() << '\n';
    return std::nullopt;
  }
}

int PlayGame(const Platform& machine, GlyphRasterizer* glyphs, const std::string& recordFile,
             const ShownReplay* replay, std::ostream& err) {
  if (replay != nullptr) return PlayBack(machine, glyphs, *replay, err);
  // A recording sits between the game and the machine's keys, with the seed it notes.
  const std::uint64_t seed = machine.clock.TimerSeed();
  SeededClock clock(machine.clock, seed);
  std::optional<ReplayRecorder> recorder;
  if (!recordFile.empty()) {
    recorder.emplace(machine.input, machine.clock, nullptr, err, "talvessa");
    if (!recorder->Start(recordFile, ReplayGameVersion(), seed)) return 1;
  }
  Game game({clock, recorder ? static_cast<Input&>(*recorder) : machine.input, machine.screen, machine.audio,
             machine.programFolder},
            glyphs);
  if (recorder) game.observer = &*recorder;
  ReplayEndReason reason = ReplayEndReason::Quit;
  try {
    SetUpForm(game);
    RunGameStates(game);
  } catch (const WindowClosed&) {
    // The window was closed: the music is already stopped and the effects silenced.
    reason = ReplayEndReason::Closed;
  }
  return !recorder || recorder->Finish(game, reason) ? 0 : 1;
}

}  // namespace talvessa
