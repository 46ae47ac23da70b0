#include "world/world.h"

#include <algorithm>
#include <limits>

namespace talvessa {

void AddToTally(std::int16_t& tally, int amount) {
  const int top = std::numeric_limits<std::int16_t>::max();
  tally = static_cast<std::int16_t>(std::min(top, tally + amount));
}

void AddToTally(std::int32_t& tally, std::int32_t amount) {
  const std::int64_t top = std::numeric_limits<std::int32_t>::max();
  tally = static_cast<std::int32_t>(std::min(top, std::int64_t{tally} + amount));
}

void ClearTables(World& w, unsigned tables) {
  if ((tables & kUnitTable) != 0) {
    for (int i = 0; i < kColumns; ++i) {
      Unit& u = w.Units[i];
      u = Unit{static_cast<std::int16_t>(kCell * i), -32, 32, 32, u.Tick, unit::Arriving, 1000};
    }
  }
  if ((tables & kHostageTable) != 0) {
    for (int i = 0; i < kColumns; ++i)
      w.Hostages[i] = Hostage{static_cast<std::int16_t>(kCell * i), 384, 0, 0};
  }
  if ((tables & kShotTable) != 0) {
    for (Shot& shot : w.Shots) shot = Shot{};
  }
  if ((tables & kBurstTable) != 0) {
    for (Burst& burst : w.Bursts) burst = Burst{};
  }
}

void ResetWorld(World& w, RunState& run) {
  w.PlayerX = 256;
  w.PlayerY = 352;
  run.Command = command::None;
  ClearTables(w, kUnitTable | kHostageTable | kShotTable | kBurstTable);
  w.ShotsYen = 0;
  w.VanX = 512;
  w.VanY = 288;
  w.VanTimer = 0;
  w.VanStopEnd = 36;
  w.Phase = 1;
  w.HostagesInPlay = 0;
  w.Funds = 3000;
  w.Rescued = 0;
  w.NotRescued = 0;
  w.GameState = GameState::Logo;
  run.EndCounter = 0;
  w.StandoffCount = 0;
  w.PauseRequest = kNoPause;
  run.FramePeriod = kScreenFramePeriod;
  run.TitleCounter = 0;
  run.AttractScrollA = -480;
  run.AttractScrollB = 576;
  run.FrameCount = 0;
  // The title screen's demo throws the first shot record at a figure whose burst is the first burst
  // record; its banknote flies on into play and leaves the field there.
  w.Shots[0].Y = 352;
  w.Shots[0].Active = 1;
  w.Shots[0].Value = 1000;
  w.Bursts[0].X = 480;
  w.Bursts[0].Y = 352;
}

}  // namespace talvessa
