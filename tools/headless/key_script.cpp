#include "key_script.h"

#include <array>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "formats/numbers.h"
#include "platform/keys.h"
#include "formats/quoted.h"

namespace talvessa {

namespace {}  // namespace

std::vector<ScriptEvent> ParseKeyScript(const std::string& text, const std::string& fileName) {
  std::vector<ScriptEvent> events;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const auto fail = [&](const std::string& why) {
      throw std::runtime_error(QuotedPath(fileName) + ":" + std::to_string(number) + ": " + why);
    };
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; words >> w;) word.push_back(w);
    if (word.empty()) continue;

    // "p<N>": at loop pass N, counted from 1.
    const bool byPass = word[0].starts_with('p');
    const auto at = ParseNumber<std::uint64_t>(byPass ? word[0].substr(1) : word[0]);
    if (!at || (byPass && *at == 0))
      fail("expected a time in milliseconds or a pass p<N>, found " + Quoted(word[0]));
    if (!byPass && *at > HeadlessInput::kLatestMs) {
      fail("the time " + Quoted(word[0]) + " is later than the latest, " +
           std::to_string(HeadlessInput::kLatestMs) + " ms");
    }
    const std::uint64_t ms = byPass ? 0 : *at;
    const std::uint64_t pass = byPass ? *at : 0;
    if (word.size() == 2 && word[1] == "close") {
      events.push_back({ms, ScriptEvent::Kind::CloseWindow, 0, pass});
      continue;
    }
    if (word.size() != 3) fail("expected \"<ms> <key> down|up\" or \"<ms> close\" (or p<N> for <ms>)");
    const auto key = KeyByName(word[1]);
    if (!key) {
      fail("unknown key " + Quoted(word[1]) + " (keys: " + std::string(kKeyNameList) + ")");
    }
    if (word[2] != "down" && word[2] != "up") fail("expected down or up, found " + Quoted(word[2]));
    events.push_back(
        {ms, word[2] == "down" ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp, *key, pass});
  }
  return events;
}

}  // namespace talvessa
