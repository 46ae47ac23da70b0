// Replay files: what a run of the game asked and was answered, keyed by loop pass (docs/replays.md).
// A header (format, game version, seed, how often the world is checked), then one line per happening in
// the order it happened: a key seen going down or up at a key query, the window closing, the world's
// check values every few passes, and the end of the run with the last check values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "replay/world_check.h"

namespace talvessa {

inline constexpr int kReplayFormat = 1;
// Passes between two check lines, by default and at most (which bounds the passes a file can describe).
inline constexpr std::uint64_t kDefaultCheckEvery = 30;
inline constexpr std::uint64_t kMostCheckEvery = 100;
// A replay file is refused unread above this size (an hour of play takes about 2 MB).
inline constexpr std::uint64_t kLargestReplayBytes = std::uint64_t{64} << 20;
// The passes a line may name: far beyond any game (a thousand years of play), and small enough that no
// sum overflows. A pass asks for a dozen keys at most: a key query far beyond is not a recording.
inline constexpr std::uint64_t kMostPasses = std::uint64_t{1} << 40;
inline constexpr std::uint64_t kMostQueries = 1000;

// The longest line a recorder writes: an end line with every check field at its widest (about 750
// bytes). A reader refuses a line four times as long without reading further, which leaves room for
// spacing and comments written by hand and keeps a file of one huge line from costing its size.
constexpr std::size_t LongestWrittenLine() {
  std::size_t passDigits = 1;
  for (std::uint64_t pass = kMostPasses; pass >= 10; pass /= 10) ++passDigits;
  std::size_t length = 1 + passDigits + std::string_view(" end stopped").size();
  for (const CheckField& field : kCheckFields) {
    length += 1 + std::string_view(field.name).size() + 1 + (field.kind == CheckKind::Value ? 11 : 8);
  }
  return length;
}
inline constexpr std::size_t kLongestReplayLine = 4 * LongestWrittenLine();

// From key query `query` (counted from 0) of pass `pass` (counted from 1) on, the key is down or up.
// Eight bytes: a file of the shortest lines (key changes, about 12 bytes each) costs less in memory than
// on the disk.
struct ReplayKey {
  std::uint64_t pass : 41 = 0;
  std::uint64_t query : 10 = 0;
  int virtualKey : 9 = 0;
  bool down : 1 = false;
};
static_assert(sizeof(ReplayKey) == 8 && kMostPasses < std::uint64_t{1} << 41 && kMostQueries < 1024);

struct ReplayCheck {
  std::uint64_t pass = 0;  // the world as pass `pass` left it
  WorldCheck values{};
};

// How the recorded run ended: Esc, the window closed, or its recorder stopped it (a headless run's limit).
enum class ReplayEndReason { Quit, Closed, Stopped };
const char* EndReasonName(ReplayEndReason reason);

struct ReplayEnd {
  // The pass during which the game ended; for Stopped, the last pass done (the values are the world as
  // that pass left it).
  std::uint64_t pass = 0;
  ReplayEndReason reason = ReplayEndReason::Quit;
  WorldCheck values{};
};

struct Replay {
  std::string gameVersion;
  std::uint64_t seed = 0;
  std::uint64_t checkEvery = kDefaultCheckEvery;
  std::vector<ReplayKey> keys;
  std::optional<std::uint64_t> closeAt;  // the window closes at the first event pump of this pass
  std::vector<ReplayCheck> checks;
  std::optional<ReplayEnd> end;  // missing when the recording was cut short
  std::uint64_t lastPass = 0;    // the last pass a line names
};

// A replay that cannot be played; what() is one line.
struct BadReplay : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the text of a replay line by line, none longer than kLongestReplayLine. A last line without its
// line break is a recording cut short there and is left out. Throws BadReplay naming the line of the
// first fault.
Replay ParseReplay(std::string_view text);
// Reads a replay file as it streams in, refusing one above kLargestReplayBytes (or that is no plain file)
// before reading it; the message names the file.
Replay ReadReplayFile(const std::string& path);

// The lines of a replay, each with its line break.
std::string ReplayHeader(const std::string& gameVersion, std::uint64_t seed, std::uint64_t checkEvery);
std::string KeyLine(const ReplayKey& key);
std::string CloseLine(std::uint64_t pass);
std::string CheckLine(std::uint64_t pass, const WorldCheck& values);
std::string EndLine(const ReplayEnd& end);

}  // namespace talvessa
