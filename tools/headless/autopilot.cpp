#include "autopilot.h"

#include <algorithm>
#include <vector>

#include "platform/keys.h"

namespace talvessa {

namespace {

constexpr int kManagedKeys[] = {vk::Space, vk::Left, vk::Right, vk::V};

bool IsLifting(std::int16_t state) {
  return state == unit::Lifting || state == unit::VehicleLifting || state == unit::AircraftLifting;
}

bool IsComingDown(std::int16_t state) {
  return state == unit::Fetching || state == unit::VehicleFetching || state == unit::AircraftFetching;
}

// World steps until a lifting unit gets away at -16.
int StepsToEscape(const Unit& u) {
  const int moves = (u.Y + 16) / 8;
  switch (u.State) {
    case unit::Lifting: return moves * 3;
    case unit::VehicleLifting: return moves * 2;
    default: return moves * 4 / 3;
  }
}

// Damage still on its way: money in flight that will meet the unit before it gets away.
int DamageInFlight(const World& w, const Unit& u) {
  int damage = 0;
  for (const Shot& s : w.Shots) {
    const bool below = s.Y + 32 >= u.Y;
    const bool inTime = (s.Y - u.Y) / 24 + 1 < StepsToEscape(u);
    if (s.Active == 1 && s.X + 32 > u.X && u.X + u.Width > s.X && below && inTime) damage += s.Value;
  }
  return damage;
}

// A unit to save: where to stand, how long the money takes, and when it is too late.
struct Target {
  int unit;
  int first, last;  // the columns a shot can strike it from
  int deadline;     // world steps until it gets away
  int flight;       // world steps money takes to reach it
  int work;         // world steps of throwing it needs
};

int Walk(int from, const Target& t) {
  return from < t.first ? t.first - from : from > t.last ? from - t.last : 0;
}

// Steps to spare when `t` is served from `column` at step `now`; negative when too late.
int Spare(const Target& t, int column, int now) {
  return t.deadline - now - Walk(column, t) - t.flight - t.work;
}

// How many of `targets` are saved when `first` is served first and the rest by earliest deadline.
int SavedStartingWith(const std::vector<Target>& targets, std::size_t first, int column) {
  std::vector<bool> done(targets.size(), false);
  int now = 0, saved = 0;
  for (std::size_t next = first; next < targets.size();) {
    const Target& t = targets[next];
    done[next] = true;
    if (Spare(t, column, now) >= 0) {
      ++saved;
      now += Walk(column, t) + t.work;
      column = std::clamp(column, t.first, t.last);
    }
    next = targets.size();
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (!done[i] && Spare(targets[i], column, now) >= 0 &&
          (next == targets.size() || targets[i].deadline < targets[next].deadline)) {
        next = i;
      }
    }
  }
  return saved;
}

}  // namespace

PlayPlan PlanPlay(const World& w) {
  const int flag = w.PlayerX / kCell;
  const bool vanFree =
      w.VanTimer == 0 && w.Funds >= 100 &&
      std::any_of(w.Shots.begin(), w.Shots.begin() + 6, [](const Shot& s) { return s.Active == 0; });
  std::vector<Target> targets;
  for (int i = 0; i < kColumns; ++i) {
    const Unit& u = w.Units[i];
    if (!IsLifting(u.State)) continue;
    const bool vehicle = u.State != unit::Lifting;
    const int needed = (vehicle ? u.Health : 1) - DamageInFlight(w, u);
    if (needed <= 0) continue;
    const int notes = (needed + 999) / 1000;
    const int flight = (w.PlayerY - 16 - u.Y) / 24 + 1;
    targets.push_back(
        {i, i, i + u.Width / kCell - 1, StepsToEscape(u), flight, vehicle && vanFree ? 1 : notes});
  }
  PlayPlan plan;
  int bestSaved = -1, bestWalk = 0;
  for (std::size_t k = 0; k < targets.size(); ++k) {
    if (Spare(targets[k], flag, 0) < 0) continue;
    const int saved = SavedStartingWith(targets, k, flag);
    const int walk = Walk(flag, targets[k]);
    if (saved > bestSaved || (saved == bestSaved && walk < bestWalk)) {
      bestSaved = saved;
      bestWalk = walk;
      const Target& t = targets[k];
      plan.column = std::clamp(flag, t.first, t.last);
      // One bundle frees a vehicle that five notes would.
      plan.sendVan = vanFree && w.Units[t.unit].State != unit::Lifting && w.Units[t.unit].Health > 1000;
      plan.throwNote = !plan.sendVan;
    }
  }
  if (plan.column >= 0) return plan;
  // Nobody to save yet: wait under the unit that will lift next.
  int lowest = -1000;
  for (int i = 0; i < kColumns; ++i) {
    const Unit& u = w.Units[i];
    if (IsComingDown(u.State) && u.Y > lowest) {
      lowest = u.Y;
      plan.column = i;
    }
  }
  return plan;
}

void Autopilot::Hold(int virtualKey) { held_ = virtualKey; }

void Autopilot::Tap(int virtualKey) {
  if (lastHeld_ != virtualKey) held_ = virtualKey;
}

void Autopilot::Decide(const Game& game, Loop loop) {
  const World& w = game.world;
  held_ = 0;
  if (stopAtPhase_ > 0 && w.Phase >= stopAtPhase_) stopped_ = true;
  if (!stopped_) {
    switch (loop) {
      case Loop::Attract: Tap(vk::Space); break;
      case Loop::GameOver:
      case Loop::Ending:
        if (game.run.EndCounter >= 100) Tap(vk::Space);
        break;
      case Loop::Play: {
        const PlayPlan plan = PlanPlay(w);
        const int flag = w.PlayerX / kCell;
        if (plan.column >= 0 && plan.column != flag) {
          Hold(plan.column < flag ? vk::Left : vk::Right);
        } else if (plan.sendVan) {
          Tap(vk::V);
        } else if (plan.throwNote) {
          Tap(vk::Space);
        }
        break;
      }
      default: break;
    }
  }
  for (int key : kManagedKeys) keys_.SetKeyHeld(key, key == held_);
  lastHeld_ = held_;
}

}  // namespace talvessa
