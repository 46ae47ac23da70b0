#include <charconv>

#include "headless.h"

namespace talvessa {

namespace {

void Append(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void Field(std::string& out, const char* name, std::int64_t value) {
  out += ",\"";
  out += name;
  out += "\":";
  Append(out, value);
}

// A table as an array of records, each an array of its fields in declaration order.
template <typename Record, std::size_t N, typename... Fields>
void Table(std::string& out, const char* name, const std::array<Record, N>& table, Fields... fields) {
  out += ",\"";
  out += name;
  out += "\":[";
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) out += ',';
    out += '[';
    bool first = true;
    ((out += first ? "" : ",", first = false, Append(out, table[i].*fields)), ...);
    out += ']';
  }
  out += ']';
}

void Strings(std::string& out, const char* name, const std::vector<std::string>& items) {
  out += ",\"";
  out += name;
  out += "\":[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    out += '"';
    out += items[i];  // names and commands of our own: no characters that need escaping
    out += '"';
  }
  out += ']';
}

}  // namespace

void TraceWriter::PassDone(const Game& game, Loop loop) { WriteLine(game, LoopName(loop), nullptr); }

void TraceWriter::RunEnded(const Game& game, const char* reason) { WriteLine(game, "exit", reason); }

void TraceWriter::WriteLine(const Game& game, const char* loop, const char* reason) {
  const World& w = game.world;
  std::string& out = line_;
  out.clear();
  out += "{\"t_ms\":";
  Append(out, static_cast<std::int64_t>(platform_.clock.ElapsedUs() / 1000));
  out += ",\"loop\":\"";
  out += loop;
  out += '"';
  if (reason != nullptr) {
    out += ",\"reason\":\"";
    out += reason;
    out += '"';
  }
  Field(out, "GameState", static_cast<int>(w.GameState));
  Field(out, "FrameCount", game.run.FrameCount);
  Field(out, "FramePeriod", game.run.FramePeriod);
  Field(out, "Command", game.run.Command);
  Field(out, "LastKey", game.LastKey);
  Field(out, "PauseRequest", w.PauseRequest);
  Field(out, "KeyLatch", w.KeyLatch);
  Field(out, "PlayerX", w.PlayerX);
  Field(out, "PlayerY", w.PlayerY);
  Field(out, "ShotsYen", w.ShotsYen);
  Field(out, "VanX", w.VanX);
  Field(out, "VanY", w.VanY);
  Field(out, "VanTimer", w.VanTimer);
  Field(out, "VanStopEnd", w.VanStopEnd);
  Field(out, "Phase", w.Phase);
  Field(out, "HostagesInPlay", w.HostagesInPlay);
  Field(out, "Funds", w.Funds);
  Field(out, "Rescued", w.Rescued);
  Field(out, "NotRescued", w.NotRescued);
  Field(out, "StandoffCount", w.StandoffCount);
  Field(out, "EndCounter", game.run.EndCounter);
  Field(out, "TitleCounter", game.run.TitleCounter);
  Field(out, "AttractScrollA", game.run.AttractScrollA);
  Field(out, "AttractScrollB", game.run.AttractScrollB);
  Table(out, "Shots", w.Shots, &Shot::X, &Shot::Y, &Shot::Value, &Shot::Active);
  Table(out, "Bursts", w.Bursts, &Burst::X, &Burst::Y, &Burst::Stage);
  Table(out, "Popups", w.Popups, &Popup::X, &Popup::Y, &Popup::Timer, &Popup::Amount);
  Table(out, "Units", w.Units, &Unit::X, &Unit::Y, &Unit::Width, &Unit::Height, &Unit::Tick, &Unit::State,
        &Unit::Health);
  Table(out, "Hostages", w.Hostages, &Hostage::X, &Hostage::Y, &Hostage::Kind, &Hostage::Reward);
  Strings(out, "effects", platform_.audio.TakeEffects());
  Strings(out, "music", platform_.audio.TakeMusicCommands());
  Field(out, "presents", static_cast<std::int64_t>(platform_.screen.PresentCount()));
  out += "}\n";
  out_.Write(out);
}

}  // namespace talvessa
