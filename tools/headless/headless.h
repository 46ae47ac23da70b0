// talvessa-headless: the whole game on the headless backend, driven by a seed and a key script, with
// a JSON Lines trace of every loop pass and PNG pictures of the window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "key_script.h"
#include "platform/fonts/fonts.h"
#include "platform/headless/headless_platform.h"
#include "replay/replay_file.h"
#include "shell/game.h"
#include "tool_io/whole_file.h"

namespace talvessa {

struct HeadlessOptions {
  std::uint64_t seed = 1;
  std::string keysFile;
  std::optional<std::uint64_t> untilMs;
  std::string traceFile;
  std::string framesDir;
  std::uint64_t every = 1;
  std::string lastFrameFile;
  std::string hashesFile;
  std::string fontsDir;
  std::uint32_t clockStartMs = 0;
  bool autopilot = false;
  int autopilotUntilPhase = 0;  // 0: plays on for ever
  bool help = false;
  // Replays and passes (tools/headless/replays.h).
  std::optional<std::uint64_t> untilPass;
  std::string replayFile;
  bool verify = false;
  std::string saveReplayFile;
  std::uint64_t checkEvery = kDefaultCheckEvery;
  std::uint64_t testChangeFundsAtPass = 0;  // tests only: Funds changes after this pass (0: never)
};

// Reads the command line; throws std::runtime_error with a one-line message on a bad argument.
HeadlessOptions ParseHeadlessArguments(const std::vector<std::string>& args);

// The usage text of --help.
const char* HeadlessUsage();

// Writes one JSON object per loop pass: the time, the loop, every world value and table, and the
// effects and music commands issued since the previous line. A line that cannot be written throws.
class TraceWriter final : public PassObserver {
 public:
  TraceWriter(WholeFile& out, HeadlessPlatform& platform) : out_(out), platform_(platform) {}
  void PassDone(const Game& game, Loop loop) override;
  // The last line of a run, after the program's closing steps: how it ended and their sounds.
  void RunEnded(const Game& game, const char* reason);

 private:
  void WriteLine(const Game& game, const char* loop, const char* reason);
  WholeFile& out_;
  HeadlessPlatform& platform_;
  std::string line_;
};

// One line per picture shown: its number and the FNV-1a hash (64 bits) of its RGB bytes, in hex.
std::string PictureHashLine(const WindowPicture& picture, std::uint64_t number);

// The text rasteriser of a run: the faces of `fontsDir` when one is given, else those the build finds by
// itself (fontconfig on the desktop). Null, with `error` saying why, when none opens.
std::unique_ptr<FontRasterizer> OpenHeadlessFonts(const std::string& fontsDir, std::string& error);

// Runs the game once; returns the exit status. Errors go to `err` as one line.
int RunHeadless(const HeadlessOptions& options, std::ostream& err);

}  // namespace talvessa
