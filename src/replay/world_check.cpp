#include "replay/world_check.h"

#include <cstdio>

#include "screens/stage.h"

namespace talvessa {

namespace {

// FNV-1a over the values as 16-bit little-endian words, the same on every machine.
class Digest {
 public:
  void Add(std::int64_t value) {
    for (int byte = 0; byte < 2; ++byte) {
      hash_ ^= static_cast<std::uint32_t>(value >> (8 * byte)) & 0xFFu;
      hash_ *= 16777619u;
    }
  }
  std::int64_t Value() const { return hash_; }

 private:
  std::uint32_t hash_ = 2166136261u;
};

template <typename Table, typename Fields>
std::int64_t DigestOf(const Table& table, Fields fields) {
  Digest digest;
  for (const auto& record : table) {
    for (std::int64_t value : fields(record)) digest.Add(value);
  }
  return digest.Value();
}

}  // namespace

WorldCheck TakeWorldCheck(const Stage& stage) {
  const World& w = stage.world;
  const RunState& run = stage.run;
  const ScreenMemory& screens = stage.screens;
  Digest typed;
  for (char c : screens.TypedText) typed.Add(static_cast<unsigned char>(c));
  return {
      static_cast<std::int64_t>(w.GameState),
      w.Phase,
      w.Funds,
      w.ShotsYen,
      w.Rescued,
      w.NotRescued,
      w.HostagesInPlay,
      w.StandoffCount,
      w.PlayerX,
      w.PlayerY,
      w.VanX,
      w.VanY,
      w.VanTimer,
      w.VanStopEnd,
      w.PauseRequest,
      w.KeyLatch,
      run.Command,
      stage.LastKey,
      run.FramePeriod,
      run.FrameCount,
      run.EndCounter,
      run.TitleCounter,
      run.AttractScrollA,
      run.AttractScrollB,
      screens.LogoRowCount,
      screens.FirstLetters,
      screens.SecondLetters,
      DigestOf(w.Units,
               [](const Unit& u) {
                 return std::array<std::int64_t, 7>{u.X, u.Y, u.Width, u.Height, u.Tick, u.State, u.Health};
               }),
      DigestOf(w.Hostages,
               [](const Hostage& h) {
                 return std::array<std::int64_t, 4>{h.X, h.Y, h.Kind, h.Reward};
               }),
      DigestOf(w.Shots,
               [](const Shot& s) {
                 return std::array<std::int64_t, 4>{s.X, s.Y, s.Value, s.Active};
               }),
      DigestOf(w.Bursts,
               [](const Burst& b) {
                 return std::array<std::int64_t, 3>{b.X, b.Y, b.Stage};
               }),
      DigestOf(w.Popups,
               [](const Popup& p) {
                 return std::array<std::int64_t, 4>{p.X, p.Y, p.Timer, p.Amount};
               }),
      DigestOf(screens.LogoRowShown, [](std::uint8_t row) { return std::array<std::int64_t, 1>{row}; }),
      typed.Value(),
  };
}

std::string FormatCheckValue(std::size_t field, std::int64_t value) {
  if (kCheckFields[field].kind == CheckKind::Value) return std::to_string(value);
  char hex[12];
  std::snprintf(hex, sizeof hex, "%08llx", static_cast<unsigned long long>(value & 0xFFFFFFFF));
  return hex;
}

std::string FormatCheckField(std::size_t field, std::int64_t value) {
  return std::string(kCheckFields[field].name) + "=" + FormatCheckValue(field, value);
}

std::string DescribeDifference(const WorldCheck& recorded, const WorldCheck& now) {
  std::string first;
  int others = 0;
  for (std::size_t i = 0; i < recorded.size(); ++i) {
    if (recorded[i] == now[i]) continue;
    if (first.empty()) {
      first = std::string(kCheckFields[i].name) + " is " + FormatCheckValue(i, now[i]) + ", recorded " +
              FormatCheckValue(i, recorded[i]);
    } else {
      ++others;
    }
  }
  if (others > 0)
    first += " (" + std::to_string(others) + (others == 1 ? " more field differs)" : " more fields differ)");
  return first;
}

}  // namespace talvessa
