#include "world/world.h"

namespace talvessa {

void ResetWorld(World& w) {
  w.PlayerX = 256;
  w.PlayerY = 352;
  w.Command = command::None;
  for (Shot& shot : w.Shots) shot = Shot{};
  w.ShotsYen = 0;
  for (Burst& burst : w.Bursts) burst = Burst{};
  w.VanX = 512;
  w.VanY = 288;
  w.VanTimer = 0;
  w.VanStopEnd = 36;
  for (int i = 0; i < kColumns; ++i) {
    Unit& unit = w.Units[i];
    const std::int16_t tick = unit.Tick;
    unit = Unit{static_cast<std::int16_t>(kCell * i), -32, 32, 32, tick, unit::Arriving, 1000};
  }
  w.Phase = 1;
  for (int i = 0; i < kColumns; ++i) {
    w.Hostages[i] = Hostage{static_cast<std::int16_t>(kCell * i), 384, kind::Empty, 0};
  }
  w.HostagesInPlay = 0;
  w.Funds = 3000;
  w.Rescued = 0;
  w.NotRescued = 0;
  w.GameState = GameState::Logo;
  w.EndCounter = 0;
  w.StandoffCount = 0;
  w.PauseRequest = 0;
  w.FramePeriod = kScreenFramePeriod;
  w.TitleCounter = 0;
  w.AttractScrollA = -480;
  w.AttractScrollB = 576;
  w.FrameCount = 0;
  // The attract demo's banknote and burst.
  w.Shots[0].Y = 352;
  w.Shots[0].Active = 1;
  w.Shots[0].Value = 1000;
  w.Bursts[0].X = 480;
  w.Bursts[0].Y = 352;
}

}  // namespace talvessa
