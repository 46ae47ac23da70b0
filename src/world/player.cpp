// What the player's commands do to the world: the flag steps along the bottom row and throws money.
#include "world/rules.h"

namespace talvessa {

namespace {

// The first free record among Shots[0 .. count - 1], or null.
Shot* FreeShot(World& w, int count) {
  for (int k = 0; k < count; ++k) {
    if (w.Shots[k].Active == 0) return &w.Shots[k];
  }
  return nullptr;
}

// Money leaves from just above the flag.
void Launch(World& w, Shot& shot, std::int16_t value, std::int32_t cost) {
  shot.Active = 1;
  shot.X = w.PlayerX;
  shot.Y = static_cast<std::int16_t>(w.PlayerY - 16);
  w.Funds -= cost;
  AddToTally(w.ShotsYen, value);
  shot.Value = value;
}

}  // namespace

void ThrowBanknote(World& w, EffectPlayer& effects) {
  if (w.PauseRequest != kNoPause || w.Funds < 10) return;
  if (Shot* shot = FreeShot(w, 8)) {
    Launch(w, *shot, 1000, 10);
    effects.PlayEffect(Effect::Banknote);
  }
}

void SendVanWithBundle(World& w, EffectPlayer& effects) {
  if (w.PauseRequest != kNoPause || w.Funds < 100 || w.VanTimer != 0) return;
  if (Shot* shot = FreeShot(w, 6)) {
    w.VanTimer = 1;
    Launch(w, *shot, 10000, 100);
    effects.PlayEffect(Effect::Van);
  }
}

void StepFlag(World& w, bool left) {
  const bool room = left ? w.PlayerX >= 32 : w.PlayerX <= 448;
  if (w.PauseRequest == kNoPause && room && w.KeyLatch == 0) {
    w.KeyLatch = 1;
    w.PlayerX = static_cast<std::int16_t>(w.PlayerX + (left ? -kCell : kCell));
  }
}

}  // namespace talvessa
