#include "replay/replay_file.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <istream>
#include <sstream>
#include <string>
#include <system_error>
#include <tuple>

#include "formats/numbers.h"
#include "formats/quoted.h"
#include "platform/keys.h"

namespace talvessa {

namespace {

constexpr std::string_view kMagic = "talvessa-replay";
constexpr std::string_view kNotAReplay = "not a Talvessa replay (it should begin with \"talvessa-replay 1\")";

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

// The order of the lines of one pass: its key changes by query, its close, its check, the end.
enum class LineKind { Key, Close, Check, End };

class Reader {
 public:
  // Reads `in` to its end, but no more than `mostBytes`.
  Reader(std::istream& in, std::uint64_t mostBytes) : in_(in), mostBytes_(mostBytes) {}

  Replay Read() {
    Header();
    while (NextLine()) Body(Words(line_));
    return std::move(replay_);
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw BadReplay("line " + std::to_string(number_) + ": " + why);
  }

  // The next line with something on it, without its comment; false at the end of the text. A last
  // line without its line break was cut short and does not count.
  bool NextLine() {
    while (true) {
      in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
      const auto got = static_cast<std::size_t>(in_.gcount());
      bytes_ += got;
      if (in_.bad()) throw BadReplay("cannot read it");
      if (bytes_ > mostBytes_) throw BadReplay("it grew while being read");
      // Without its line break, the line filled the buffer or was the last.
      const bool whole = !in_.fail() && !in_.eof();
      std::string_view line(buffer_.data(), whole ? got - 1 : got);
      if (number_ == 0) first_ = line.substr(0, kMagic.size());
      if (in_.fail() && !in_.eof()) {
        ++number_;
        if (number_ == 1 && !line.starts_with(kMagic)) Fail(std::string(kNotAReplay));
        Fail("longer than " + std::to_string(kLongestReplayLine) + " bytes, which no line of a replay is");
      }
      if (!whole) return false;
      ++number_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
      line_ = line;
      if (!Words(line_).empty()) return true;
    }
  }

  std::string_view HeaderValue(std::string_view name) {
    if (!NextLine()) {
      if (bytes_ == 0) throw BadReplay("the file is empty");
      if (name == kMagic && !first_.starts_with(kMagic)) throw BadReplay(std::string(kNotAReplay));
      throw BadReplay("the header is incomplete (it has no \"" + std::string(name) + "\" line)");
    }
    const std::vector<std::string_view> words = Words(line_);
    if (words[0] != name || words.size() != 2) {
      if (name == kMagic) Fail(std::string(kNotAReplay));
      Fail("expected \"" + std::string(name) + " <value>\" here");
    }
    return words[1];
  }

  void Header() {
    const std::string_view format = HeaderValue(kMagic);
    if (format != std::to_string(kReplayFormat)) {
      Fail("format version " + Quoted(format) + " is not one this game reads (it reads version " +
           std::to_string(kReplayFormat) + ")");
    }
    replay_.gameVersion = std::string(HeaderValue("game"));
    const std::string_view seed = HeaderValue("seed");
    const auto seedValue = ParseNumber<std::uint64_t>(seed);
    if (!seedValue) Fail("the seed must be a whole number, not " + Quoted(seed));
    replay_.seed = *seedValue;
    const std::string_view every = HeaderValue("check-every");
    const auto everyValue = ParseNumber<std::uint64_t>(every);
    if (!everyValue || *everyValue < 1 || *everyValue > kMostCheckEvery) {
      Fail("check-every must be a whole number from 1 to " + std::to_string(kMostCheckEvery));
    }
    replay_.checkEvery = *everyValue;
  }

  // "p<pass>" or "p<pass>.<query>".
  void Position(std::string_view word, bool withQuery, std::uint64_t& pass, std::uint64_t& query) {
    query = 0;
    if (word.size() < 2 || word[0] != 'p') Fail("expected a pass \"p<N>\", found " + Quoted(word));
    const std::size_t dot = word.find('.');
    const auto passValue = ParseNumber<std::uint64_t>(word.substr(1, dot - 1));
    if (!passValue || *passValue < 1 || *passValue > kMostPasses) Fail("bad pass number " + Quoted(word));
    pass = *passValue;
    if (dot == std::string_view::npos) return;
    const auto queryValue = ParseNumber<std::uint64_t>(word.substr(dot + 1));
    if (!withQuery || !queryValue || *queryValue > kMostQueries) Fail("bad key query " + Quoted(word));
    query = *queryValue;
  }

  // Lines come in the order of the run, and no pass goes unchecked for longer than check-every.
  void InOrder(std::uint64_t pass, LineKind kind, std::uint64_t query) {
    if (replay_.end) Fail("a line after the end of the run");
    if (replay_.closeAt && kind != LineKind::End) Fail("a line after the window was closed");
    const auto order = std::make_tuple(pass, kind, query);
    if (seenLine_ && order <= lastOrder_)
      Fail("out of order: pass p" + std::to_string(pass) + " comes too late");
    if (pass > lastCheck_ + replay_.checkEvery) {
      Fail("pass p" + std::to_string(pass) + " comes after p" + std::to_string(lastCheck_) +
           " with no check line between (check-every " + std::to_string(replay_.checkEvery) + ")");
    }
    seenLine_ = true;
    lastOrder_ = order;
    replay_.lastPass = pass;
  }

  WorldCheck Values(const std::vector<std::string_view>& words, std::size_t from) {
    if (words.size() - from != kCheckFields.size()) {
      Fail("expected the " + std::to_string(kCheckFields.size()) + " check fields, found " +
           std::to_string(words.size() - from));
    }
    WorldCheck values{};
    for (std::size_t i = 0; i < kCheckFields.size(); ++i) {
      const std::string_view word = words[from + i];
      const std::string_view name = kCheckFields[i].name;
      if (!word.starts_with(name) || word.size() <= name.size() || word[name.size()] != '=') {
        Fail("expected " + std::string(name) + "=… , found " + Quoted(word));
      }
      const std::string_view value = word.substr(name.size() + 1);
      std::optional<std::int64_t> parsed;
      if (kCheckFields[i].kind == CheckKind::Value) {
        parsed = ParseNumber<std::int32_t>(value);
      } else if (value.size() == 8 && value.find_first_not_of("0123456789abcdef") == std::string_view::npos) {
        parsed = std::stoll(std::string(value), nullptr, 16);
      }
      if (!parsed) Fail("bad value for " + std::string(name) + ": " + Quoted(value));
      values[i] = *parsed;
    }
    return values;
  }

  void Body(const std::vector<std::string_view>& words) {
    std::uint64_t pass = 0, query = 0;
    Position(words[0], true, pass, query);
    const std::string_view what = words.size() > 1 ? words[1] : std::string_view();
    if (what == "close" && words.size() == 2 && query == 0) {
      InOrder(pass, LineKind::Close, 0);
      replay_.closeAt = pass;
    } else if (what == "check" && query == 0) {
      if (pass % replay_.checkEvery != 0)
        Fail("a check at p" + std::to_string(pass) + ", off the check-every beat");
      InOrder(pass, LineKind::Check, 0);
      replay_.checks.push_back({pass, Values(words, 2)});
      lastCheck_ = pass;
    } else if (what == "end" && words.size() > 2 && query == 0) {
      InOrder(pass, LineKind::End, 0);
      ReplayEnd end{pass, ReplayEndReason::Quit, {}};
      if (words[2] == "closed") {
        end.reason = ReplayEndReason::Closed;
      } else if (words[2] == "stopped") {
        end.reason = ReplayEndReason::Stopped;
      } else if (words[2] != "quit") {
        Fail("the end is \"quit\", \"closed\" or \"stopped\", not " + Quoted(words[2]));
      }
      if ((end.reason == ReplayEndReason::Closed) != replay_.closeAt.has_value() ||
          (replay_.closeAt && *replay_.closeAt != pass)) {
        Fail("the end does not agree with the window's closing");
      }
      end.values = Values(words, 3);
      replay_.end = end;
    } else if (words.size() == 3 && (words[2] == "down" || words[2] == "up")) {
      const std::optional<int> key = KeyByName(what);
      if (!key) Fail("unknown key " + Quoted(what) + " (keys: " + std::string(kKeyNameList) + ")");
      InOrder(pass, LineKind::Key, query);
      const bool down = words[2] == "down";
      bool& held = held_[KeyIndex(*key)];
      if (held == down) Fail(std::string(what) + " is already " + (down ? "down" : "up"));
      held = down;
      replay_.keys.push_back({pass, query, *key, down});
    } else {
      Fail("expected \"p<N>[.<Q>] <key> down|up\", \"p<N> close\", \"p<N> check …\" or \"p<N> end …\"");
    }
  }

  static std::size_t KeyIndex(int virtualKey) {
    for (std::size_t i = 0; i < kNamedKeys.size(); ++i) {
      if (kNamedKeys[i].virtualKey == virtualKey) return i;
    }
    return 0;
  }

  std::istream& in_;
  const std::uint64_t mostBytes_;
  std::uint64_t bytes_ = 0;
  std::array<char, kLongestReplayLine + 1> buffer_{};
  std::string first_;  // how the text begins
  int number_ = 0;
  std::string_view line_;
  Replay replay_;
  std::array<bool, kNamedKeys.size()> held_{};
  bool seenLine_ = false;
  std::tuple<std::uint64_t, LineKind, std::uint64_t> lastOrder_{};
  std::uint64_t lastCheck_ = 0;
};

// Appended rather than concatenated: GCC 12 at -O3 warns falsely about "p" + std::string.
std::string Pass(std::uint64_t pass) {
  std::string word = "p";
  word += std::to_string(pass);
  return word;
}

std::string Fields(const WorldCheck& values) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    line += ' ';
    line += FormatCheckField(i, values[i]);
  }
  return line;
}

}  // namespace

const char* EndReasonName(ReplayEndReason reason) {
  switch (reason) {
    case ReplayEndReason::Quit: return "quit";
    case ReplayEndReason::Closed: return "closed";
    case ReplayEndReason::Stopped: return "stopped";
  }
  return "?";
}

Replay ParseReplay(std::string_view text) {
  std::istringstream in{std::string(text)};
  return Reader(in, text.size()).Read();
}

Replay ReadReplayFile(const std::string& path) {
  const std::string named = QuotedPath(path);
  const auto fail = [&](const std::string& why) -> Replay { throw BadReplay(named + ": " + why); };
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return fail("no such replay file");
  if (error) return fail("cannot read it (" + error.message() + ")");
  if (status.type() == std::filesystem::file_type::directory)
    throw BadReplay(named + " is a folder, not a replay file");
  // Opening a pipe or a device could wait for ever or read without end.
  if (status.type() != std::filesystem::file_type::regular)
    throw BadReplay(named + " is a pipe, a device or a socket, not a replay file");
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return fail("cannot read it (" + error.message() + ")");
  if (size > kLargestReplayBytes) {
    return fail("it is " + std::to_string(size) + " bytes; a replay is at most " +
                std::to_string(kLargestReplayBytes >> 20) + " MiB");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot read it (" + std::generic_category().message(errno) + ")");
  try {
    return Reader(in, size).Read();
  } catch (const BadReplay& bad) {
    return fail(bad.what());
  }
}

std::string ReplayHeader(const std::string& gameVersion, std::uint64_t seed, std::uint64_t checkEvery) {
  return std::string(kMagic) + " " + std::to_string(kReplayFormat) + "\ngame " + gameVersion + "\nseed " +
         std::to_string(seed) + "\ncheck-every " + std::to_string(checkEvery) +
         "\n# A Talvessa replay: play it with talvessa --replay FILE (see docs/replays.md).\n";
}

std::string KeyLine(const ReplayKey& key) {
  const std::string at = key.query == 0 ? Pass(key.pass) : Pass(key.pass) + "." + std::to_string(key.query);
  return at + " " + KeyName(key.virtualKey) + (key.down ? " down\n" : " up\n");
}

std::string CloseLine(std::uint64_t pass) { return Pass(pass) + " close\n"; }

std::string CheckLine(std::uint64_t pass, const WorldCheck& values) {
  return Pass(pass) + " check" + Fields(values) + "\n";
}

std::string EndLine(const ReplayEnd& end) {
  return Pass(end.pass) + " end " + EndReasonName(end.reason) + Fields(end.values) + "\n";
}

}  // namespace talvessa
