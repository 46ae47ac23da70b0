#include "soak.h"

#include <array>
#include <sstream>

#include "autopilot.h"
#include "world/random.h"
#include "world/rules.h"

namespace talvessa {

namespace {

class NoSound final : public EffectPlayer {
 public:
  void PlayEffect(Effect) override {}
};

using States = std::array<std::int16_t, kColumns>;

States StatesOf(const World& w) {
  States states{};
  for (int i = 0; i < kColumns; ++i) states[i] = w.Units[i].State;
  return states;
}

// People leaving play, read from the units' state changes: a lifting unit that turns to rising out
// has either got away or been made to give its hostages up.
int PeopleLeaving(const States& before, const World& w) {
  int people = 0;
  for (int i = 0; i < kColumns; ++i) {
    const std::int16_t was = before[i], now = w.Units[i].State;
    if (was == unit::Lifting && now == unit::RisingOut) people += 1;
    if ((was == unit::VehicleLifting && now == unit::VehicleRisingOut) ||
        (was == unit::AircraftLifting && now == unit::AircraftRisingOut)) {
      people += 2;
    }
  }
  return people;
}

bool PhaseEnded(const States& before, const World& w) {
  for (int i = 0; i < kColumns; ++i) {
    const std::int16_t now = w.Units[i].State;
    if ((now == unit::LeavingPhase1 || now == unit::LeavingPhase2) && before[i] != now) return true;
  }
  return false;
}

class Checker {
 public:
  void NewGame(const World& w) {
    expectedInPlay_ = 0;
    last_ = w;
  }
  // Records the hostages the spawners just added.
  void Spawned(const World& before, const World& w) {
    for (int i = 0; i < kColumns; ++i) {
      const std::int16_t k = w.Hostages[i].Kind;
      if (before.Hostages[i].Kind == kind::Empty && (k == kind::LoneWaiting || k == kind::FamilyWaiting)) {
        ++expectedInPlay_;
      }
    }
  }
  void Left(int people) { expectedInPlay_ -= people; }
  void PhaseOver() { expectedInPlay_ = 0; }

  // The first broken invariant, or empty.
  std::string Check(const World& w) {
    std::ostringstream why;
    for (int i = 0; i < kColumns; ++i) {
      if (w.Units[i].X != kCell * i) why << "Units[" << i << "].X is " << w.Units[i].X << "; ";
    }
    if (w.HostagesInPlay != expectedInPlay_) {
      why << "HostagesInPlay is " << int{w.HostagesInPlay} << " but " << expectedInPlay_ << " are in play; ";
    }
    if (w.HostagesInPlay > 12) why << "HostagesInPlay is " << int{w.HostagesInPlay} << "; ";
    if (w.Funds < 0) why << "Funds is " << w.Funds << "; ";
    if (w.Rescued < last_.Rescued || w.NotRescued < last_.NotRescued || w.ShotsYen < last_.ShotsYen) {
      why << "a tally fell; ";
    }
    auto near = [](int v) { return v >= -1000 && v <= 1000; };
    bool far = !near(w.PlayerX) || !near(w.PlayerY) || !near(w.VanX) || !near(w.VanY);
    for (const Shot& s : w.Shots) far = far || !near(s.X) || !near(s.Y);
    for (const Burst& b : w.Bursts) far = far || !near(b.X) || !near(b.Y);
    for (const Popup& p : w.Popups) far = far || !near(p.X) || !near(p.Y);
    for (const Unit& u : w.Units) far = far || !near(u.Y);
    for (const Hostage& h : w.Hostages) far = far || !near(h.X) || !near(h.Y);
    if (far) why << "a position left -1000..1000; ";
    last_ = w;
    return why.str();
  }

 private:
  int expectedInPlay_ = 0;
  World last_;
};

// The keys of one world step: mostly what a good player would do, sometimes anything at all.
void Press(World& w, RandomSource& random, double mashing, EffectPlayer& sound) {
  if (random.Next() < mashing) {
    switch (random.Below(6)) {
      case 0: StepFlag(w, true); break;
      case 1: StepFlag(w, false); break;
      case 2: ThrowBanknote(w, sound); break;
      case 3: SendVanWithBundle(w, sound); break;
      default: break;  // no key
    }
    return;
  }
  const PlayPlan plan = PlanPlay(w);
  const int flag = w.PlayerX / kCell;
  if (plan.column >= 0 && plan.column != flag) {
    StepFlag(w, plan.column < flag);
  } else if (plan.sendVan) {
    SendVanWithBundle(w, sound);
  } else if (plan.throwNote) {
    ThrowBanknote(w, sound);
  }
}

void StartGame(World& w) {
  RunState run;  // the screens' values, which the soak has no use for
  ResetWorld(w, run);
  w.GameState = GameState::Playing;
  // As when play starts: the attract demo's banknote goes to the top edge and leaves.
  w.Shots[0].X = 0;
  w.Shots[0].Y = 0;
}

}  // namespace

SoakReport Soak(std::uint64_t steps, std::uint64_t seed, const std::function<void(const World&)>& draw) {
  constexpr double kMashing[] = {0.0, 0.01, 0.1, 1.0};
  Random random(seed);
  Random keys(seed ^ 0x5eed);
  NoSound sound;
  World w;
  Checker checker;
  SoakReport report;
  StartGame(w);
  checker.NewGame(w);
  double mashing = kMashing[0];
  for (; report.steps < steps; ++report.steps) {
    if (w.GameState != GameState::Playing) {
      StartGame(w);
      checker.NewGame(w);
      ++report.games;
    }
    // The player's mood changes now and then, so that good games end too.
    if (report.steps % 5000 == 0) mashing = kMashing[keys.Below(4)];
    Press(w, keys, mashing, sound);
    const World beforeSpawn = w;
    SpawnPhase1(w, random);
    SpawnPhase23(w, random);
    checker.Spawned(beforeSpawn, w);
    States states = StatesOf(w);
    StepActors(w, random, sound);
    checker.Left(PeopleLeaving(states, w));
    if (draw) draw(w);
    states = StatesOf(w);
    ResolveHits(w, sound);
    checker.Left(PeopleLeaving(states, w));
    if (PhaseEnded(states, w)) checker.PhaseOver();
    if (std::string why = checker.Check(w); !why.empty()) {
      report.violation = "step " + std::to_string(report.steps) + ": " + why;
      break;
    }
    report.highestPhase = std::max<int>(report.highestPhase, w.Phase);
    report.mostRescued = std::max<int>(report.mostRescued, w.Rescued);
  }
  return report;
}

}  // namespace talvessa
